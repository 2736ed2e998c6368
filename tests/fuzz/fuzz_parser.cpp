// Any expression text through parseExpressionText: it is parsed, or reported malformed with a
// text. A parsed expression holds no empty group or alternative, no more bytes than the text,
// and a text without operators or escapes is the first term as it stands.
//
// Input: one byte of flags (bit 0: an earlier parse has already seen an operator), then the
// expression text up to its first NUL.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "expr/expression.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  text = text.c_str();
  resetExpression();
  operatorSeen = (data[0] & 1) != 0;
  std::string writable = text;
  std::string badText;
  if (!parseExpressionText(writable.data(), badText)) return 0;
  std::size_t bytes = Expression.firstTerm.size();
  for (const auto& group : Expression.groups) {
    if (group.empty()) std::abort();
    for (const std::string& alternative : group) {
      if (alternative.empty()) std::abort();
      bytes += alternative.size();
    }
  }
  if (bytes > text.size()) std::abort();
  if (text.find_first_of("&|\\") == std::string::npos && !text.empty() &&
      (Expression.firstTerm != text || !Expression.groups.empty())) {
    std::abort();
  }
  return 0;
}
