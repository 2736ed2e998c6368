// findTerm against the slow, literal term finder of the reference search, for every setting of
// ignoreCase, wholeWords and trimmed.
//
// Input: one byte that gives the term's length (modulo what is left), then the term, then the
// text. Both end at their first NUL, as the texts that reach findTerm always do.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "cmdline/settings.h"
#include "expr/term_match.h"
#include "reference/reference_match.h"

namespace {

void check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  std::size_t termLength = data[0] % size;
  std::string term(reinterpret_cast<const char*>(data + 1), termLength);
  std::string text(reinterpret_cast<const char*>(data + 1 + termLength), size - 1 - termLength);
  term = term.c_str();
  text = text.c_str();

  for (int setting = 0; setting < 8; ++setting) {
    bool ignoreCase = (setting & 1) != 0;
    bool wholeWords = (setting & 2) != 0;
    bool trimmed = (setting & 4) != 0;
    Settings.ignoreCase = ignoreCase;
    Settings.wholeWords = wholeWords;
    long long expected = reference::findTerm(text, term, trimmed, ignoreCase, wholeWords);
    check(findTerm(text, term, trimmed) == expected);
    check(findText(text, term) == reference::findText(text, term, ignoreCase));
  }
  for (int c = 0; c < 256; ++c) {
    auto byte = static_cast<unsigned char>(c);
    check(isWordBoundary(byte) == reference::isWordBoundary(byte));
  }
  return 0;
}
