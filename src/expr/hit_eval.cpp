#include "expr/hit_eval.h"

#include "expr/term_match.h"

PreparedExpression prepareExpression(const Expression& expression, bool ignoreCase,
                                     bool wholeWords) {
  PreparedExpression prepared;
  prepared.firstTerm = prepareTerm(expression.firstTerm, ignoreCase);
  for (const std::vector<std::string>& group : expression.groups) {
    std::vector<TermSearcher>& searchers = prepared.groups.emplace_back();
    for (const std::string& alternative : group) {
      searchers.push_back(prepareTerm(alternative, ignoreCase));
    }
  }
  prepared.wholeWords = wholeWords;
  return prepared;
}

bool evaluateHit(const PreparedExpression& expression, std::string_view window, bool trimmed) {
  for (const std::vector<TermSearcher>& group : expression.groups) {
    bool satisfied = false;
    for (const TermSearcher& alternative : group) {
      if (findTerm(alternative, window, expression.wholeWords, trimmed) >= 0) {
        satisfied = true;
        break;
      }
    }
    if (!satisfied) return false;
  }
  return true;
}
