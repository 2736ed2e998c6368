#include "expr/window_search.h"

#include <algorithm>

WindowSearch::WindowSearch(const PreparedExpression& expression) {
  for (const std::vector<TermSearcher>& group : expression.groups) {
    std::vector<TermOccurrences>& occurrences = groups_.emplace_back();
    for (const TermSearcher& alternative : group) {
      occurrences.emplace_back(alternative, expression.wholeWords);
    }
  }
}

void WindowSearch::restart() {
  for (std::vector<TermOccurrences>& group : groups_) {
    for (TermOccurrences& alternative : group) alternative.restart();
  }
}

void WindowSearch::release() {
  for (std::vector<TermOccurrences>& group : groups_) {
    for (TermOccurrences& alternative : group) alternative.release();
  }
}

void WindowSearch::dropBefore(StretchOffset at) {
  for (std::vector<TermOccurrences>& group : groups_) {
    for (TermOccurrences& alternative : group) alternative.dropBefore(at);
  }
}

bool WindowSearch::holds(const StretchText& text, StretchOffset from, StretchOffset to,
                         bool trimmed) {
  for (std::vector<TermOccurrences>& group : groups_) {
    bool satisfied = std::any_of(group.begin(), group.end(), [&](TermOccurrences& alternative) {
      return alternative.within(text, from, to, trimmed);
    });
    if (!satisfied) return false;
  }
  return true;
}
