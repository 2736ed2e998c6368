// Under every ignoreCase, wholeWords and trimmed: searchTerm gives the leftmost place where the
// term stands, searchRawBytes never misses it, and findTerm accepts only a place at or after it
// where the term stands between word boundaries. Input: the term's length byte, the term, the
// text; both end at their first NUL, as the texts that reach findTerm always do.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "expr/term_match.h"
#include "expr/term_search.h"

// True when `term` stands in `text` at `at`, ASCII letters folded when `ignoreCase`.
static bool standsAt(const std::string& text, const std::string& term, std::size_t at,
                     bool ignoreCase) {
  auto fold = [&](unsigned char c) { return ignoreCase && c >= 'a' && c <= 'z' ? c - 32 : c; };
  for (std::size_t i = 0; i < term.size(); ++i) {
    if (at + i >= text.size() || fold(text[at + i]) != fold(term[i])) return false;
  }
  return true;
}

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
    TermSearcher searcher = prepareTerm(term, ignoreCase);
    long long first = searchTerm(searcher, text), leftmost = -1;
    for (std::size_t at = 0; leftmost < 0 && !term.empty() && at < text.size(); ++at) {
      if (standsAt(text, term, at, ignoreCase)) leftmost = static_cast<long long>(at);
    }
    if (term.empty() ? first != (ignoreCase ? -1 : 0) : first != leftmost) std::abort();
    if (first >= 0 && searchRawBytes(searcher, text) < 0) std::abort();
    long long found = findTerm(searcher, text, wholeWords, trimmed);
    if (found < 0 || term.empty()) continue;
    std::size_t at = static_cast<std::size_t>(found) + (trimmed && wholeWords ? 1 : 0);
    bool boundaries = !wholeWords ||
                      ((at == 0 || isWordBoundary(text[at - 1])) &&
                       (at + term.size() >= text.size() || isWordBoundary(text[at + term.size()])));
    if (at < static_cast<std::size_t>(first) || !standsAt(text, term, at, ignoreCase) ||
        !boundaries)
      std::abort();
  }
  return 0;
}
