// Any raw command line through splitCommandText: the table is closed by a null entry, holds
// the program name first, and its arguments are pieces of the line in order: removing quotes
// and cutting at blanks only ever drops bytes.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "cmdline/tokenizer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string raw(reinterpret_cast<const char*>(data), size);
  raw = raw.c_str();  // the line ends at its first NUL
  resetCommandLine();
  splitCommandText(raw.c_str(), "prog");
  std::size_t filled = argCount > 0 ? static_cast<std::size_t>(argCount) : 1;
  if (argTable.size() != filled + 1 || argTable[filled] != nullptr) std::abort();
  if (std::strcmp(argTable[0], "prog") != 0) std::abort();
  // Every argument's bytes are found in the line, in order.
  std::size_t at = 0;
  for (std::size_t i = 1; i < filled; ++i) {
    for (const char* c = argTable[i]; *c != '\0'; ++c) {
      at = raw.find(*c, at == std::string::npos ? raw.size() : at);
      if (at++ == std::string::npos) std::abort();
    }
  }
  return 0;
}
