#include "platform/wildcard.h"

#include "platform/ascii.h"

bool wildcardMatch(std::string_view pattern, std::string_view name) {
  if (pattern == "*.*") return true;
  // Greedy matching with one backtrack point: the last '*' seen and where it began to match.
  std::size_t p = 0, n = 0;
  std::size_t starAt = std::string_view::npos, starMatched = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starAt = p++;
      starMatched = n;
    } else if (p < pattern.size() &&
               (pattern[p] == '?' || foldedAscii(pattern[p]) == foldedAscii(name[n]))) {
      ++p;
      ++n;
    } else if (starAt != std::string_view::npos) {
      p = starAt + 1;
      n = ++starMatched;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

bool foldedNameLess(std::string_view a, std::string_view b) {
  std::size_t common = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < common; ++i) {
    if (foldedAscii(a[i]) != foldedAscii(b[i])) return foldedAscii(a[i]) < foldedAscii(b[i]);
  }
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;
}
