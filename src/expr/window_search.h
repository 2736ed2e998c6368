// Evaluating candidates over windows of any width: the text that windows are cut from is one
// stretch, and each further term's occurrences in it are found once.
#pragma once

#include <vector>

#include "expr/hit_eval.h"
#include "expr/term_occurrences.h"

/// The occurrences of every alternative of the expression's groups in a stretch of text that
/// grows at its end and is let go of at its start. A window of the stretch is asked whether
/// every group has an alternative in it at a cost that does not grow with its width.
class WindowSearch {
 public:
  /// Searches for the groups of `expression`, whose terms must outlive this.
  explicit WindowSearch(const PreparedExpression& expression);

  /// Forgets the stretch: the next one begins, at offset 0.
  void restart();
  /// Forgets the stretch and gives the memory back.
  void release();

  /// Says that no window begins before `at`: the occurrences before it go, and the text given
  /// from now on may begin there.
  void dropBefore(StretchOffset at);

  /// True when every group has an alternative in the window [from, to) of the stretch, as
  /// `evaluateHit` finds it in that window's text. `text` holds the stretch from the last
  /// `dropBefore` (or before) through `to`.
  bool holds(const StretchText& text, StretchOffset from, StretchOffset to, bool trimmed);

 private:
  std::vector<std::vector<TermOccurrences>> groups_;
};
