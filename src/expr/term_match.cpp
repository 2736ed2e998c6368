#include "expr/term_match.h"

#include "platform/ascii.h"

namespace {

// The byte at `at` in `text`, where the end of the text reads as its terminating NUL.
unsigned char byteAt(std::string_view text, std::size_t at) {
  return at < text.size() ? static_cast<unsigned char>(text[at]) : 0;
}

}  // namespace

bool isWordBoundary(unsigned char c) {
  if (c == 0 || isAsciiSpace(c) || c >= 128) return true;
  bool letterOrDigit = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
  return c > ' ' && c < 127 && !letterOrDigit;
}

long long findTerm(const TermSearcher& searcher, std::string_view text, bool wholeWords,
                   bool trimmed, std::size_t from) {
  if (!wholeWords) {
    if (from > text.size()) return -1;
    long long found = searchTerm(searcher, text.substr(from));
    return found < 0 ? -1 : found + static_cast<long long>(from);
  }
  std::size_t k = trimmed ? 1 : 0;
  std::string_view region;
  if (!trimmed) {
    region = text;
  } else if (text.size() >= 3) {
    region = text.substr(1, text.size() - 2);
  }
  for (std::size_t s = from; s < region.size();) {
    long long r = searchTerm(searcher, region.substr(s));
    if (r < 0) return -1;
    std::size_t p = s + static_cast<std::size_t>(r);
    std::size_t t = p + k;
    bool startsWord = t == 0 || isWordBoundary(byteAt(text, t - 1));
    if (startsWord && isWordBoundary(byteAt(text, t + searcher.term.size()))) {
      return static_cast<long long>(p);
    }
    s = p + 1;
  }
  return -1;
}
