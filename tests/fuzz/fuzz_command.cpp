// Any raw command line (input up to its first NUL) through splitCommandText, then argument 1, if
// any, through parseExpressionText. The table ends with a null entry, holds the program name
// first, and its arguments' bytes are found in the line in order (quotes and blanks only drop
// bytes). A parsed expression holds no empty group or alternative, no more bytes than its text,
// and a text without operators or escapes is the first term as it stands. An argument 2 sets
// operatorSeen before the parse, as after an earlier expression (a leading bar is then malformed).

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "cmdline/tokenizer.h"
#include "expr/expression.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string raw(reinterpret_cast<const char*>(data), size);
  raw = raw.c_str();
  resetCommandLine();
  splitCommandText(raw.c_str(), "prog");
  std::size_t filled = argCount > 0 ? static_cast<std::size_t>(argCount) : 1;
  if (argTable.size() != filled + 1 || argTable[filled] || std::strcmp(argTable[0], "prog") != 0)
    std::abort();
  std::size_t at = 0;
  for (std::size_t i = 1; i < filled; ++i)
    for (const char* c = argTable[i]; *c != '\0'; ++c, ++at)
      if ((at = raw.find(*c, at)) == std::string::npos) std::abort();
  if (filled < 2) return 0;
  std::string text = argTable[1];  // the parse may rewrite argTable[1]
  resetExpression();
  operatorSeen = filled > 2;
  std::string badText;
  if (!parseExpressionText(argTable[1], badText)) return 0;
  std::size_t bytes = Expression.firstTerm.size();
  for (const auto& group : Expression.groups) {
    if (group.empty() || std::count(group.begin(), group.end(), "") > 0) std::abort();
    for (const std::string& alternative : group) bytes += alternative.size();
  }
  if (bytes > text.size()) std::abort();
  if (text.find_first_of("&|\\") == std::string::npos && !text.empty() &&
      (Expression.firstTerm != text || !Expression.groups.empty()))
    std::abort();
  return 0;
}
