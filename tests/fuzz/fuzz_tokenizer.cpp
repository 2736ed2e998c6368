// Any raw command line through splitCommandText: the table is consistent and closed by a null
// entry, and its arguments are those of a plain step-by-step split that really moves the text
// to the left for every removed quote.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "cmdline/tokenizer.h"

namespace {

enum class State { between, start, inside };

// The quote class at `at`: 0 plain, 1 a lone quote, 2 two quotes, 3 three quotes.
int quoteClass(const std::vector<char>& text, std::size_t at) {
  if (text[at] != '"') return 0;
  if (text[at + 1] != '"') return 1;
  if (text[at + 2] != '"') return 2;
  return 3;
}

bool isWhite(unsigned char c) {
  return c == ' ' || (c >= 9 && c <= 13);
}

// The arguments of `raw`, the program's own first token included.
std::vector<std::string> plainSplit(const char* raw) {
  std::vector<char> text(raw, raw + std::strlen(raw) + 1);
  auto remove = [&](std::size_t at, std::size_t n) {
    text.erase(text.begin() + static_cast<std::ptrdiff_t>(at),
               text.begin() + static_cast<std::ptrdiff_t>(at + n));
  };
  std::vector<std::size_t> starts;
  std::size_t pos = 0;
  State state = State::between;
  bool quoting = false;
  while (text[pos] != '\0') {
    if (state == State::between) {
      while (static_cast<unsigned char>(text[pos]) >= 1 &&
             static_cast<unsigned char>(text[pos]) <= 32 && text[pos] != '\n') {
        ++pos;
      }
      if (text[pos] == '\0' || text[pos] == '\n') break;
      state = State::start;
    }
    int k = quoteClass(text, pos);
    if (state == State::start) {
      starts.push_back(pos);
      state = State::inside;
      if (k == 1) {
        remove(pos, 1);
        quoting = true;
        if (text[pos] == '\0') break;  // a lone opening quote at the very end
      } else if (k == 2) {
        remove(pos, 1);
      } else if (k == 3) {
        remove(pos, 2);
        quoting = true;
      }
    } else if (k == 0) {
      if (isWhite(static_cast<unsigned char>(text[pos])) && !quoting) {
        text[pos] = '\0';
        state = State::between;
      }
    } else if (k == 1) {
      text[pos] = '\0';
      quoting = false;
      state = State::between;
    } else if (k == 2) {
      remove(pos, 1);
    } else {
      remove(pos, 1);
      ++pos;
      text[pos] = '\0';
      quoting = false;
      state = State::between;
    }
    ++pos;
  }
  std::vector<std::string> arguments;
  for (std::size_t start : starts) arguments.emplace_back(text.data() + start);
  return arguments;
}

void check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string raw(reinterpret_cast<const char*>(data), size);  // read up to its first NUL
  resetCommandLine();
  splitCommandText(raw.c_str(), "prog");

  std::vector<std::string> expected = plainSplit(raw.c_str());
  check(argCount == static_cast<int>(expected.size()));
  std::size_t filled = argCount > 0 ? static_cast<std::size_t>(argCount) : 1;
  check(argTable.size() == filled + 1);
  check(argTable[filled] == nullptr);
  for (std::size_t i = 0; i < filled; ++i) check(argTable[i] != nullptr);
  check(std::strcmp(argTable[0], "prog") == 0);
  for (std::size_t i = 1; i < expected.size(); ++i) check(expected[i] == argTable[i]);
  return 0;
}
