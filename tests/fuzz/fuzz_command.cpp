// Any command line split (the program name first), its argument 1 parsed as an expression (after
// an earlier one when there is an argument 2): no empty group or alternative in one that parsed.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "cmdline/tokenizer.h"
#include "expr/expression.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string raw(reinterpret_cast<const char*>(data), size);
  ArgumentTable table = splitCommandText(raw.c_str(), "prog");
  if (table.empty() || table[0] != "prog") std::abort();
  ExpressionParser parser;
  parser.operatorSeen = table.size() > 2;
  std::string badText;
  if (table.size() < 2 || !parseExpressionText(table[1], parser, badText)) return 0;
  for (const auto& group : parser.expression.groups) {
    if (group.empty() || std::count(group.begin(), group.end(), "") > 0) std::abort();
  }
  return 0;
}
