#include "expr/term_search.h"

#include <cstdint>
#include <cstring>

#include "platform/ascii.h"
#include "platform/byte_blocks.h"

namespace {

// How often a byte is met in source code and prose, roughly, on a scale of 0 to 255; letters
// count once for both cases. Used only to choose which bytes of a term to scan for.
unsigned char commonness(unsigned char c) {
  static const char kLetters[] = "etaoinsrlcdhupmfgybwvkxjqz";  // most common first
  if (isAsciiLetter(c)) {
    const char* at = std::strchr(kLetters, c | 0x20);
    return static_cast<unsigned char>(250 - (at - kLetters) * 7);
  }
  if (c == ' ') return 255;
  if (c == '\n' || c == '\t') return 200;
  if (c >= '0' && c <= '9') return c <= '2' ? 175 : 150;
  static const char kCommonMarks[] = "_(),;.=*/-\"#<>{}";
  if (c != 0 && std::strchr(kCommonMarks, c) != nullptr) return 160;
  if (c >= 33 && c < 127) return 90;
  return 20;
}

bool matchesAt(const TermSearcher& s, const char* at) {
  const unsigned char* a = reinterpret_cast<const unsigned char*>(at);
  const unsigned char* t = reinterpret_cast<const unsigned char*>(s.term.data());
  if (!s.ignoreCase) return std::memcmp(a, t, s.term.size()) == 0;
  for (std::size_t i = 0; i < s.term.size(); ++i) {
    if (a[i] != t[i] && foldedAscii(a[i]) != foldedAscii(t[i])) return false;
  }
  return true;
}

bool anchorsAt(const TermSearcher& s, const unsigned char* start) {
  return (start[s.anchor1] | s.fold1) == s.byte1 && (start[s.anchor2] | s.fold2) == s.byte2;
}

// The result of a block scan that stopped early: a special byte was met.
constexpr long long kSpecialByte = -2;

#if defined(SKERN_BLOCKS64)
// Tries the starts from `start` on, 64 at a time, while all the bytes they need lie inside
// the text, and leaves `start` at the first start not tried. Returns the offset of an
// occurrence, or, with `checkSpecial`, kSpecialByte once a carriage return or 0x1A has been
// met in the bytes [0, start + 64); else -1.
SKERN_AVX2 long long scanWide(const TermSearcher& s, const unsigned char* base, std::size_t last,
                              bool checkSpecial, std::size_t& start) {
  const Block64 want1 = splat64(static_cast<char>(s.byte1));
  const Block64 want2 = splat64(static_cast<char>(s.byte2));
  const Block64 fold1 = splat64(static_cast<char>(s.fold1));
  const Block64 fold2 = splat64(static_cast<char>(s.fold2));
  const Block64 cr = splat64('\r');
  const Block64 eof = splat64(0x1A);
  for (; start + 63 <= last; start += 64) {
    const unsigned char* at = base + start;
    if (checkSpecial) {
      Block64 here = load64(at);
      if (!none64(or64(equal64(here, cr), equal64(here, eof)))) return kSpecialByte;
    }
    Block64 hit = and64(equal64(or64(load64(at + s.anchor1), fold1), want1),
                        equal64(or64(load64(at + s.anchor2), fold2), want2));
    for (std::uint64_t mask = mask64(hit); mask != 0; mask &= mask - 1) {
      std::size_t found = start + static_cast<std::size_t>(__builtin_ctzll(mask));
      if (matchesAt(s, reinterpret_cast<const char*>(base) + found)) {
        return static_cast<long long>(found);
      }
    }
  }
  return -1;
}
#endif

#if defined(SKERN_BLOCKS16)
// As `scanWide`, sixteen starts at a time.
long long scanNarrow(const TermSearcher& s, const unsigned char* base, std::size_t last,
                     bool checkSpecial, std::size_t& start) {
  const Block16 want1 = splat16(static_cast<char>(s.byte1));
  const Block16 want2 = splat16(static_cast<char>(s.byte2));
  const Block16 fold1 = splat16(static_cast<char>(s.fold1));
  const Block16 fold2 = splat16(static_cast<char>(s.fold2));
  const Block16 cr = splat16('\r');
  const Block16 eof = splat16(0x1A);
  for (; start + 15 <= last; start += 16) {
    const unsigned char* at = base + start;
    if (checkSpecial) {
      Block16 here = load16(at);
      if (mask16(or16(equal16(here, cr), equal16(here, eof))) != 0) return kSpecialByte;
    }
    Block16 hit = and16(equal16(or16(load16(at + s.anchor1), fold1), want1),
                        equal16(or16(load16(at + s.anchor2), fold2), want2));
    for (unsigned mask = mask16(hit); mask != 0; mask &= mask - 1) {
      std::size_t found = start + static_cast<std::size_t>(__builtin_ctz(mask));
      if (matchesAt(s, reinterpret_cast<const char*>(base) + found)) {
        return static_cast<long long>(found);
      }
    }
  }
  return -1;
}
#endif

// Tries the starts from `start` up to `last` in blocks, as wide as the processor allows, and
// leaves `start` at the first start not tried; results as for `scanWide`.
long long scanBlocks(const TermSearcher& s, const unsigned char* base, std::size_t last,
                     bool checkSpecial, std::size_t& start) {
#if defined(SKERN_BLOCKS64)
  if (hasAvx2()) {
    long long found = scanWide(s, base, last, checkSpecial, start);
    if (found != -1) return found;
  }
#endif
#if defined(SKERN_BLOCKS16)
  return scanNarrow(s, base, last, checkSpecial, start);
#else
  return -1;
#endif
}

}  // namespace

TermSearcher prepareTerm(std::string_view term, bool ignoreCase) {
  TermSearcher s;
  s.term = term;
  s.ignoreCase = ignoreCase;
  if (term.empty()) return s;
  auto cost = [&](std::size_t i) { return commonness(static_cast<unsigned char>(term[i])); };
  for (std::size_t i = 1; i < term.size(); ++i) {
    if (cost(i) < cost(s.anchor1)) s.anchor1 = i;
  }
  s.anchor2 = s.anchor1;
  for (std::size_t i = 0; i < term.size(); ++i) {
    if (i == s.anchor1) continue;
    if (s.anchor2 == s.anchor1 || cost(i) < cost(s.anchor2)) s.anchor2 = i;
  }
  auto setUp = [&](std::size_t at, unsigned char& byte, unsigned char& fold) {
    unsigned char c = static_cast<unsigned char>(term[at]);
    fold = ignoreCase && isAsciiLetter(c) ? 0x20 : 0;
    byte = c | fold;
  };
  setUp(s.anchor1, s.byte1, s.fold1);
  setUp(s.anchor2, s.byte2, s.fold2);
  return s;
}

long long searchTerm(const TermSearcher& s, std::string_view text) {
  const std::size_t length = s.term.size();
  if (length == 0) return s.ignoreCase ? -1 : 0;
  if (length > text.size()) return -1;
  const unsigned char* base = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t last = text.size() - length;  // the last possible start
  std::size_t start = 0;
  long long found = scanBlocks(s, base, last, false, start);
  if (found >= 0) return found;
  for (; start <= last; ++start) {
    if (anchorsAt(s, base + start) && matchesAt(s, text.data() + start)) {
      return static_cast<long long>(start);
    }
  }
  return -1;
}

long long searchRawBytes(const TermSearcher& s, std::string_view bytes) {
  const std::size_t length = s.term.size();
  if (length == 0) return 0;
  const unsigned char* base = reinterpret_cast<const unsigned char*>(bytes.data());
  std::size_t start = 0;
  if (length <= bytes.size()) {
    long long found = scanBlocks(s, base, bytes.size() - length, true, start);
    if (found != -1) return found == kSpecialByte ? 0 : found;
  }
  // The rest: the bytes not yet checked for special bytes, and the starts not yet tried.
  for (std::size_t i = start; i < bytes.size(); ++i) {
    if (base[i] == '\r' || base[i] == 0x1A) return 0;
  }
  return searchTerm(s, bytes.substr(start));
}
