#include "expr/expression.h"

bool parseExpressionText(std::string_view text, ExpressionParser& parser, std::string& badText) {
  text = text.substr(0, text.find('\0'));
  Expression& expression = parser.expression;
  expression.groups.clear();
  if (text.empty()) return true;
  bool firstPhase = true;
  std::string term;
  std::vector<std::string> group;
  for (std::size_t p = 0;; ++p) {
    char c = p < text.size() ? text[p] : '\0';
    if (c == '\\') {
      ++p;
      if (p == text.size()) {
        c = '\0';  // a closing backslash escapes nothing and is dropped
      } else {
        term += text[p] == 'Q' ? '"' : text[p];
        continue;
      }
    }
    if (c == '&' || c == '\0') {
      parser.operatorSeen = true;
      if (firstPhase) {
        expression.firstTerm = term;
        firstPhase = false;
      } else {
        if (!term.empty()) group.push_back(term);
        if (!group.empty()) expression.groups.push_back(group);
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
      } else if (parser.operatorSeen) {
        badText = text;
        return false;
      } else {
        // The first operator of the run's first expression is a bar: every line is searched,
        // as if the expression began with an '&'.
        parser.operatorSeen = true;
        std::string restarted(1, '&');
        restarted += text;
        return parseExpressionText(restarted, parser, badText);
      }
    } else {
      term += c;
    }
  }
}
