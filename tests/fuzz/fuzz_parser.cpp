// Any expression text through parseExpressionText: it is parsed, or reported malformed with
// the text that was being read. A parsed expression stores no empty group and no empty
// alternative, and equals what a plain character-by-character parse gives.
//
// Input: one byte of flags (bit 0: an earlier parse has already seen an operator), then the
// expression text up to its first NUL.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "expr/expression.h"

namespace {

struct Parsed {
  bool ok = true;
  std::string badText;
  std::string firstTerm;
  std::vector<std::vector<std::string>> groups;
};

void check(bool condition) {
  if (!condition) std::abort();
}

// The expression read one character at a time; `operatorBefore` as the run's earlier parses
// left `operatorSeen`. As in the program, the Q of "\Q" is overwritten in the text, which is
// what a malformed expression then reports.
Parsed plainParse(std::string text, bool operatorBefore, const std::string& firstBefore) {
  Parsed result;
  result.firstTerm = firstBefore;
  if (text.empty()) return result;
  bool firstPhase = true;
  std::string term;
  std::vector<std::string> group;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    char c = i < text.size() ? text[i] : '\0';
    if (c == '\\') {
      if (i + 1 == text.size()) {
        c = '\0';  // a last backslash is dropped; the end of the text follows
        i = text.size();
      } else {
        ++i;
        if (text[i] == 'Q') text[i] = '"';
        term += text[i];
        continue;
      }
    }
    if (c == '&' || c == '\0') {
      if (firstPhase) {
        result.firstTerm = term;
        firstPhase = false;
      } else {
        if (!term.empty()) group.push_back(term);
        if (!group.empty()) result.groups.push_back(group);
      }
      group.clear();
      term.clear();
      if (c == '\0') return result;
    } else if (c == '|') {
      if (!firstPhase && !term.empty()) {
        group.push_back(term);
        term.clear();
      } else if (!firstPhase || operatorBefore) {
        result.ok = false;
        result.badText = text;
        return result;
      } else {
        return plainParse("&" + text, true, firstBefore);
      }
    } else {
      term += c;
    }
  }
  return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  bool operatorBefore = (data[0] & 1) != 0;
  std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  text = text.c_str();  // the argument ends at its first NUL

  resetExpression();
  Expression.firstTerm = "earlier";
  operatorSeen = operatorBefore;
  Parsed expected = plainParse(text, operatorBefore, "earlier");

  std::string writable = text;
  std::string badText;
  bool ok = parseExpressionText(writable.data(), badText);
  check(ok == expected.ok);
  if (!ok) {
    check(badText == expected.badText);
    return 0;
  }
  check(operatorSeen == (operatorBefore || !text.empty()));
  check(Expression.firstTerm == expected.firstTerm);
  check(Expression.groups == expected.groups);
  for (const std::vector<std::string>& group : Expression.groups) {
    check(!group.empty());
    for (const std::string& alternative : group) check(!alternative.empty());
  }
  return 0;
}
