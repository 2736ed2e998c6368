// Under every ignoreCase, wholeWords and trimmed: searchTerm gives the term's leftmost place,
// searchRawBytes never misses it, and findTerm accepts only a place at or after it where the term
// stands between word boundaries. Input: the term's length byte, the term, the text; each ends
// at its first NUL, as the texts that reach findTerm do.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "expr/term_match.h"
#include "expr/term_search.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t termLength = data[0] % size;
  const char* bytes = reinterpret_cast<const char*>(data + 1);
  const std::string term = std::string(bytes, termLength).c_str();
  const std::string text = std::string(bytes + termLength, size - 1 - termLength).c_str();
  for (int setting = 0; setting < 8; ++setting) {
    const bool ignoreCase = setting & 1, wholeWords = setting & 2, trimmed = setting & 4;
    auto fold = [&](unsigned char c) { return ignoreCase && c >= 'a' && c <= 'z' ? c - 32 : c; };
    auto same = [&](char a, char b) { return fold(a) == fold(b); };
    auto standsAt = [&](std::size_t at) {
      return at + term.size() <= text.size() &&
             std::equal(term.begin(), term.end(), text.begin() + at, same);
    };
    TermSearcher searcher = prepareTerm(term, ignoreCase);
    const long long first = searchTerm(searcher, text);
    auto leftmost = std::search(text.begin(), text.end(), term.begin(), term.end(), same);
    if (term.empty() ? first != (ignoreCase ? -1 : 0)
                     : first != (leftmost == text.end() ? -1 : leftmost - text.begin()))
      std::abort();
    if (first >= 0 && searchRawBytes(searcher, text) < 0) std::abort();
    const long long found = findTerm(searcher, text, wholeWords, trimmed);
    if (found < 0 || term.empty()) continue;
    const std::size_t at = static_cast<std::size_t>(found) + (trimmed && wholeWords ? 1 : 0);
    const bool boundaries =
        !wholeWords ||
        ((at == 0 || isWordBoundary(text[at - 1])) &&
         (at + term.size() >= text.size() || isWordBoundary(text[at + term.size()])));
    if (at < static_cast<std::size_t>(first) || !standsAt(at) || !boundaries) std::abort();
  }
  return 0;
}
