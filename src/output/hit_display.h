// The forms in which file headers and hits are written to standard output.
#pragma once

#include <string>
#include <string_view>

/// The settings that shape what a hit looks like.
struct DisplayOptions {
  bool cute = true;            ///< Trimmed, wrapped hits; else dumped as they are.
  bool lineNumbers = false;    ///< Prefix each hit with its line number.
  bool showAll = false;        ///< Show the hit's whole window, line ends as '|'.
  bool truncate = false;       ///< End a cute hit at the margin instead of wrapping it.
  long long rightMargin = 78;  ///< Column beyond which a cute hit wraps.
};

/// Appends the header of the file at `path`, written before its first hit.
void formatHeader(std::string_view path, std::string& out);

/// Appends hit line `lineNumber` (its text `line`, its window `window`) in the cute or the
/// dump style.
void formatHit(const DisplayOptions& options, long long lineNumber, std::string_view line,
               std::string_view window, std::string& out);

/// Appends the cute form of one hit: trimmed, prefixed, wrapped or truncated at the margin.
void formatCute(const DisplayOptions& options, long long lineNumber, std::string_view text,
                std::string& out);

/// Appends the dump form of one hit: the prefix and the text unchanged.
void formatDump(const DisplayOptions& options, long long lineNumber, std::string_view text,
                std::string& out);
