#include "reference/reference_match.h"

#include <cstring>

namespace reference {

namespace {

// The text as a C string sees it: everything before the first NUL.
std::string upToNul(const std::string& text) {
  return std::string(text.c_str());
}

unsigned char folded(unsigned char c) {
  if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 'a' + 'A');
  return c;
}

// The byte at `at`, where the end of the text reads as its terminating NUL.
unsigned char byteAt(const std::string& text, std::size_t at) {
  if (at < text.size()) return static_cast<unsigned char>(text[at]);
  return 0;
}

}  // namespace

long long findText(const std::string& textIn, const std::string& termIn, bool ignoreCase) {
  std::string text = upToNul(textIn);
  std::string term = upToNul(termIn);
  if (ignoreCase) {
    if (term.empty()) return -1;
    for (std::size_t offset = 0; offset < text.size(); ++offset) {
      bool allMatch = true;
      for (std::size_t i = 0; i < term.size(); ++i) {
        if (offset + i >= text.size()) {
          allMatch = false;
          break;
        }
        unsigned char a = static_cast<unsigned char>(text[offset + i]);
        unsigned char b = static_cast<unsigned char>(term[i]);
        if (folded(a) != folded(b)) {
          allMatch = false;
          break;
        }
      }
      if (allMatch) return static_cast<long long>(offset);
    }
    return -1;
  }
  for (std::size_t offset = 0; offset + term.size() <= text.size(); ++offset) {
    if (text.compare(offset, term.size(), term) == 0) return static_cast<long long>(offset);
  }
  return -1;
}

bool isWordBoundary(unsigned char c) {
  if (c == 0) return true;
  if (c == 9 || c == 10 || c == 11 || c == 12 || c == 13 || c == 32) return true;
  if (c >= 33 && c <= 47) return true;
  if (c >= 58 && c <= 64) return true;
  if (c >= 91 && c <= 96) return true;
  if (c >= 123 && c <= 126) return true;
  if (c >= 128) return true;
  return false;
}

long long findTerm(const std::string& textIn, const std::string& termIn, bool trimmed,
                   bool ignoreCase, bool wholeWords) {
  std::string text = upToNul(textIn);
  std::string term = upToNul(termIn);
  if (!wholeWords) return findText(text, term, ignoreCase);
  std::string region;
  if (!trimmed) {
    region = text;
  } else if (text.size() >= 3) {
    region = text.substr(1, text.size() - 2);
  }
  std::size_t k = trimmed ? 1 : 0;
  std::size_t s = 0;
  while (s < region.size()) {
    long long r = findText(region.substr(s), term, ignoreCase);
    if (r < 0) return -1;
    std::size_t p = s + static_cast<std::size_t>(r);
    std::size_t t = p + k;
    std::size_t length = term.size();
    bool boundaryBefore = t == 0 || isWordBoundary(byteAt(text, t - 1));
    bool boundaryAfter = isWordBoundary(byteAt(text, t + length));
    if (boundaryBefore && boundaryAfter) return static_cast<long long>(p);
    s = p + 1;
  }
  return -1;
}

}  // namespace reference
