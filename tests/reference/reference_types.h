// The inputs of the plain reference search: the expression and the settings it reads.
#pragma once

#include <string>
#include <vector>

namespace reference {

/// A first term and the groups of alternatives that must all hold around it.
struct Expression {
  std::string firstTerm;                         ///< May be empty: every line is a candidate.
  std::vector<std::vector<std::string>> groups;  ///< Each group: non-empty alternatives.
};

/// The option values the search, the evaluation and the display read, as the run uses them
/// (so `charWindow` already carries the extra byte that -w adds to a non-zero window).
struct Settings {
  bool ignoreCase = true;           ///< Fold a-z onto A-Z when comparing.
  bool wholeWords = false;          ///< Accept only occurrences bounded by word boundaries.
  bool cute = true;                 ///< Trimmed, wrapped display; else dump.
  bool lineNumbers = false;         ///< Put the line number in the prefix.
  bool showAll = false;             ///< Show the window instead of the line.
  bool truncate = false;            ///< End a cute hit at the margin.
  long long rightMargin = 78;       ///< Column beyond which a cute hit wraps.
  long long charWindow = 0;         ///< Bytes on either side of the first term.
  long long lineWindow = 0;         ///< Lines on either side of the hit line.
  long long binaryTestChars = 200;  ///< Characters the binary test examines.
  long long binaryThreshold = 0;    ///< Control characters that make a file binary.
};

}  // namespace reference
