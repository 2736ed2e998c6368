// Any raw command line through splitCommandText, argument 1 through parseExpressionText (after an
// earlier expression when there is an argument 2): a null-ended table with the program name
// first, and no empty group or alternative in an expression that parsed.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "cmdline/tokenizer.h"
#include "expr/expression.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string raw(reinterpret_cast<const char*>(data), size);
  resetCommandLine();
  splitCommandText(raw.c_str(), "prog");
  std::size_t filled = argCount > 0 ? static_cast<std::size_t>(argCount) : 1;
  if (argTable.size() != filled + 1 || argTable[filled] || std::strcmp(argTable[0], "prog") != 0)
    std::abort();
  std::string badText;
  resetExpression();
  operatorSeen = filled > 2;
  if (filled < 2 || !parseExpressionText(argTable[1], badText)) return 0;
  for (const auto& group : Expression.groups) {
    if (group.empty() || std::count(group.begin(), group.end(), "") > 0) std::abort();
  }
  return 0;
}
