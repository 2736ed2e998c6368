// Deciding whether a candidate line is a hit, from the text of its window.
#pragma once

#include <string_view>
#include <vector>

#include "expr/expression.h"
#include "expr/term_search.h"

/// The expression of a run with every term prepared for searching, once, before the search;
/// it holds its own copy of every term.
struct PreparedExpression {
  TermSearcher firstTerm;                         ///< Selects the candidate lines.
  std::vector<std::vector<TermSearcher>> groups;  ///< One alternative of each must be found.
  bool wholeWords = false;                        ///< Only occurrences that are words count.
};

/// Prepares every term of `expression`.
PreparedExpression prepareExpression(const Expression& expression, bool ignoreCase,
                                     bool wholeWords);

/// True when every group of `expression` has an alternative in `window`, the text around a
/// candidate; `trimmed` says that its first and last bytes are only neighbours of a word.
bool evaluateHit(const PreparedExpression& expression, std::string_view window, bool trimmed);
