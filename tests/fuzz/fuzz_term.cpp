// findTerm against a slow, literal version of the term finder, for every setting of
// ignoreCase, wholeWords and trimmed.
//
// Input: one byte that gives the term's length (modulo what is left), then the term, then the
// text. Both end at their first NUL, as the texts that reach findTerm always do.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "cmdline/settings.h"
#include "expr/term_match.h"

namespace {

void check(bool condition) {
  if (!condition) std::abort();
}

bool boundary(unsigned char c) {
  if (c == 0 || c == 32 || (c >= 9 && c <= 13) || c >= 128) return true;
  return (c >= 33 && c <= 47) || (c >= 58 && c <= 64) || (c >= 91 && c <= 96) ||
         (c >= 123 && c <= 126);
}

unsigned char upper(unsigned char c) {
  return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 32) : c;
}

// The leftmost offset where all of `term` matches inside `text`, tried one offset at a time.
long long slowFindText(const std::string& text, const std::string& term, bool ignoreCase) {
  if (term.empty()) return ignoreCase ? -1 : 0;
  for (std::size_t at = 0; at + term.size() <= text.size(); ++at) {
    bool all = true;
    for (std::size_t i = 0; i < term.size() && all; ++i) {
      unsigned char a = static_cast<unsigned char>(text[at + i]);
      unsigned char b = static_cast<unsigned char>(term[i]);
      all = ignoreCase ? upper(a) == upper(b) : a == b;
    }
    if (all) return static_cast<long long>(at);
  }
  return -1;
}

long long slowFindTerm(const std::string& text, const std::string& term, bool trimmed,
                       bool ignoreCase, bool wholeWords) {
  if (!wholeWords) return slowFindText(text, term, ignoreCase);
  std::string region;
  if (!trimmed) {
    region = text;
  } else if (text.size() >= 3) {
    region = text.substr(1, text.size() - 2);
  }
  std::size_t k = trimmed ? 1 : 0;
  auto byteAt = [&](std::size_t at) {
    return at < text.size() ? static_cast<unsigned char>(text[at]) : 0;
  };
  std::size_t s = 0;
  while (s < region.size()) {
    long long r = slowFindText(region.substr(s), term, ignoreCase);
    if (r < 0) return -1;
    std::size_t p = s + static_cast<std::size_t>(r);
    std::size_t t = p + k;
    if ((t == 0 || boundary(byteAt(t - 1))) && boundary(byteAt(t + term.size()))) {
      return static_cast<long long>(p);
    }
    s = p + 1;
  }
  return -1;
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
    long long expected = slowFindTerm(text, term, trimmed, ignoreCase, wholeWords);
    check(findTerm(text, term, trimmed) == expected);
    check(findText(text, term) == slowFindText(text, term, ignoreCase));
  }
  for (int c = 0; c < 256; ++c) check(isWordBoundary(static_cast<unsigned char>(c)) == boundary(c));
  return 0;
}
