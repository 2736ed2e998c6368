#include "expr/term_match.h"

#include "cmdline/settings.h"
#include "expr/term_search.h"

namespace {

// The byte at `at` in `text`, where the end of the text reads as its terminating NUL.
unsigned char byteAt(std::string_view text, std::size_t at) {
  return at < text.size() ? static_cast<unsigned char>(text[at]) : 0;
}

}  // namespace

long long findText(std::string_view text, std::string_view term) {
  return searchTerm(prepareTerm(term, Settings.ignoreCase), text);
}

bool isWordBoundary(unsigned char c) {
  if (c == 0 || c == ' ' || (c >= '\t' && c <= '\r') || c >= 128) return true;
  bool letterOrDigit = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
  return c > ' ' && c < 127 && !letterOrDigit;
}

long long findTerm(std::string_view text, std::string_view term, bool trimmed) {
  TermSearcher searcher = prepareTerm(term, Settings.ignoreCase);
  if (!Settings.wholeWords) return searchTerm(searcher, text);
  std::size_t k = trimmed ? 1 : 0;
  std::string_view region;
  if (!trimmed) {
    region = text;
  } else if (text.size() >= 3) {
    region = text.substr(1, text.size() - 2);
  }
  for (std::size_t s = 0; s < region.size();) {
    long long r = searchTerm(searcher, region.substr(s));
    if (r < 0) return -1;
    std::size_t p = s + static_cast<std::size_t>(r);
    std::size_t t = p + k;
    bool startsWord = t == 0 || isWordBoundary(byteAt(text, t - 1));
    if (startsWord && isWordBoundary(byteAt(text, t + term.size()))) {
      return static_cast<long long>(p);
    }
    s = p + 1;
  }
  return -1;
}
