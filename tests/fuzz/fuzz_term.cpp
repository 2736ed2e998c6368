// The block scanner against the term finder for every setting of ignoreCase, wholeWords and
// trimmed: an occurrence that findTerm accepts is one that searchTerm finds at or after the
// first, the term stands there, and the look at raw bytes never misses it.
//
// Input: one byte that gives the term's length (modulo what is left), then the term, then the
// text. Both end at their first NUL, as the texts that reach findTerm always do.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "cmdline/settings.h"
#include "expr/term_match.h"
#include "expr/term_search.h"

namespace {

unsigned char fold(unsigned char c, bool ignoreCase) {
  return ignoreCase && c >= 'a' && c <= 'z' ? c - 32 : c;
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
    Settings.ignoreCase = (setting & 1) != 0;
    Settings.wholeWords = (setting & 2) != 0;
    bool trimmed = (setting & 4) != 0;
    TermSearcher searcher = prepareTerm(term, Settings.ignoreCase);
    long long first = searchTerm(searcher, text);
    if (first >= 0 && searchRawBytes(searcher, text) < 0) std::abort();
    long long found = findTerm(text, term, trimmed);
    if (found < 0 || term.empty()) continue;
    std::size_t at = static_cast<std::size_t>(found) + (trimmed && Settings.wholeWords ? 1 : 0);
    if (first < 0 || at < static_cast<std::size_t>(first) || at + term.size() > text.size()) {
      std::abort();
    }
    for (std::size_t i = 0; i < term.size(); ++i) {
      if (fold(text[at + i], Settings.ignoreCase) != fold(term[i], Settings.ignoreCase)) {
        std::abort();
      }
    }
    if (Settings.wholeWords && !(at == 0 || isWordBoundary(text[at - 1]))) std::abort();
  }
  return 0;
}
