#include "reference/reference_parser.h"

namespace reference {

bool parseExpression(const std::string& text, Expression& expression, bool& operatorSeen) {
  expression.groups.clear();
  std::string term;
  std::vector<std::string> group;
  bool firstPhase = true;
  if (text.empty()) return true;
  std::size_t i = 0;
  while (true) {
    bool atEnd = i >= text.size();
    char c = atEnd ? '&' : text[i];
    if (!atEnd && c == '\\') {
      ++i;
      if (i < text.size()) {
        term += text[i] == 'Q' ? '"' : text[i];
        ++i;
      }
      continue;
    }
    if (c == '&') {
      operatorSeen = true;
      if (firstPhase) {
        expression.firstTerm = term;
        firstPhase = false;
      } else {
        if (!term.empty()) group.push_back(term);
        if (!group.empty()) expression.groups.push_back(group);
      }
      group.clear();
      term.clear();
      if (atEnd) return true;
      ++i;
      continue;
    }
    if (c == '|') {
      if (!firstPhase) {
        if (term.empty()) return false;
        group.push_back(term);
        term.clear();
        ++i;
        continue;
      }
      if (operatorSeen) return false;
      operatorSeen = true;
      return parseExpression("&" + text, expression, operatorSeen);
    }
    term += c;
    ++i;
  }
}

}  // namespace reference
