#include "expr/expression.h"

ExpressionRecord Expression;
bool operatorSeen = false;

bool parseExpressionText(char* text, std::string& badText) {
  Expression.groups.clear();
  if (*text == '\0') return true;
  bool firstPhase = true;
  std::string term;
  std::vector<std::string> group;
  for (char* p = text;; ++p) {
    char c = *p;
    if (c == '\\') {
      ++p;
      if (*p == '\0') {
        c = '\0';  // a closing backslash escapes nothing and is dropped
      } else {
        if (*p == 'Q') *p = '"';
        term += *p;
        continue;
      }
    }
    if (c == '&' || c == '\0') {
      operatorSeen = true;
      if (firstPhase) {
        Expression.firstTerm = term;
        firstPhase = false;
      } else {
        if (!term.empty()) group.push_back(term);
        if (!group.empty()) Expression.groups.push_back(group);
      }
      group.clear();
      term.clear();
      if (c == '\0') return true;
    } else if (c == '|') {
      if (!firstPhase) {
        if (term.empty()) {
          badText = text;
          return false;
        }
        group.push_back(term);
        term.clear();
      } else if (operatorSeen) {
        badText = text;
        return false;
      } else {
        // The first operator of the run's first expression is a bar: every line is searched,
        // as if the expression began with an '&'.
        operatorSeen = true;
        std::string restarted = std::string("&") + text;
        return parseExpressionText(restarted.data(), badText);
      }
    } else {
      term += c;
    }
  }
}

void resetExpression() {
  Expression = ExpressionRecord();
  operatorSeen = false;
}
