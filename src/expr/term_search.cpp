#include "expr/term_search.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

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

// What a block finder met: the starts `start` + i for the bits i of `candidates` have both
// anchors' bytes in place; `special` when a carriage return or a 0x1A was met.
struct Candidates {
  std::uint64_t candidates = 0;
  bool special = false;
};

// A block finder looks from `start` on, while all the bytes it needs lie inside the text, for
// a block of 64 starts with a candidate and, with `checkSpecial`, for a special byte among the
// bytes at anchor1 of those starts. It leaves `start` at the block it stops at, or at the
// first start not tried when it returns nothing. It may look at bytes further on, never at the
// bytes at anchor1 of a start before `start`. It calls no function, so that its loop keeps the
// blocks of wanted bytes in registers.
using BlockFinder = Candidates (*)(const TermSearcher& s, const unsigned char* base,
                                   std::size_t last, bool checkSpecial, std::size_t& start);

// The table by which the AVX-512 and AVX2 scans tell the special bytes: see `specialFlags512`.
[[maybe_unused]] const unsigned char kSpecialTable[16] = {
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x1A, 0xFF, 0xFF, 0x0D, 0xFF, 0xFF};

#if defined(SKERN_BLOCKS512)
// The bytes that the AVX-512 scan compares with, in every byte of a block.
struct Wanted512 {
  Block512 byte1, byte2, fold1, fold2;  // as in TermSearcher
  Block512 special;  // the table of `lookUp512` that tells the special bytes, below
};

// The block of 64 starts whose bytes at anchor1 are the bytes at `at`, told in one block of
// flags: 0 in byte i where start i is a candidate, each byte at an anchor compared as
// `(byte | fold) ^ wanted`.
SKERN_AVX512 inline Block512 anchorFlags512(const Wanted512& w, const unsigned char* at,
                                            std::size_t distance) {
  return or512(orXor512(load512(at), w.fold1, w.byte1),
               orXor512(load512(at + distance), w.fold2, w.byte2));
}

// 0 in byte i where the byte at anchor1 of start i is a special byte. That byte is looked up
// by its low four bits in a table that holds 0x0D at 0x0D, 0x1A at 0x0A and 0xFF (which no
// byte below 0x80 is) elsewhere, a byte from 0x80 up as 0, and compared with what it looked up.
SKERN_AVX512 inline Block512 specialFlags512(const Wanted512& w, const unsigned char* at) {
  Block512 first = load512(at);
  return xor512(lookUp512(w.special, first), first);
}

// The flags of `anchorFlags512`, with `checkSpecial` also 0 where `specialFlags512` says so.
SKERN_AVX512 inline Block512 flags512(const Wanted512& w, const unsigned char* at,
                                      std::size_t distance, bool checkSpecial) {
  Block512 flags = anchorFlags512(w, at, distance);
  return checkSpecial ? min512(flags, specialFlags512(w, at)) : flags;
}

// What the block of 64 starts whose bytes at anchor1 are the bytes at `at` holds, told apart.
SKERN_AVX512 inline Candidates block512(const Wanted512& w, const unsigned char* at,
                                        std::size_t distance, bool checkSpecial) {
  bool special = checkSpecial && zeros512(specialFlags512(w, at)) != 0;
  return Candidates{zeros512(anchorFlags512(w, at, distance)), special};
}

// With AVX-512: the first block of 64 starts where it lies, then the blocks whose bytes at
// anchor1 are aligned, two at a time with one test for both, until a block holds something;
// that block is looked at alone.
SKERN_AVX512 Candidates find512(const TermSearcher& s, const unsigned char* base, std::size_t last,
                                bool checkSpecial, std::size_t& start) {
  const Wanted512 w{splat512(static_cast<char>(s.byte1)), splat512(static_cast<char>(s.byte2)),
                    splat512(static_cast<char>(s.fold1)), splat512(static_cast<char>(s.fold2)),
                    table512(kSpecialTable)};
  const std::size_t distance = s.anchor2 - s.anchor1;
  std::size_t here = start;
  if (here + 63 > last) return Candidates{};
  const unsigned char* at = base + here + s.anchor1;
  Candidates met = block512(w, at, distance, checkSpecial);
  if (met.candidates != 0 || met.special) return met;
  const std::size_t step = 64 - (reinterpret_cast<std::uintptr_t>(at) & 63);
  at += step;
  here += step;
  for (; here + 127 <= last; at += 128, here += 128) {
    Block512 flags = min512(flags512(w, at, distance, checkSpecial),
                            flags512(w, at + 64, distance, checkSpecial));
    if (zeros512(flags) != 0) break;
  }
  for (; here + 63 <= last; at += 64, here += 64) {
    met = block512(w, at, distance, checkSpecial);
    if (met.candidates != 0 || met.special) {
      start = here;
      return met;
    }
  }
  start = here;
  return Candidates{};
}
#endif

#if defined(SKERN_BLOCKS64)
// With AVX2: blocks of 64 starts, in two halves of 32, the bytes at either anchor read where
// they lie; special bytes looked up as in `specialFlags512`.
SKERN_AVX2 Candidates find64(const TermSearcher& s, const unsigned char* base, std::size_t last,
                             bool checkSpecial, std::size_t& start) {
  const Block64 byte1 = splat64(static_cast<char>(s.byte1));
  const Block64 byte2 = splat64(static_cast<char>(s.byte2));
  const Block64 fold1 = splat64(static_cast<char>(s.fold1));
  const Block64 fold2 = splat64(static_cast<char>(s.fold2));
  const Block64 special = table64(kSpecialTable);
  const unsigned char* const at1 = base + s.anchor1;
  const unsigned char* const at2 = base + s.anchor2;
  std::size_t at = start;
  for (; at + 63 <= last; at += 64) {
    Block64 first = load64(at1 + at);
    Block64 found =
        and64(equal64(or64(first, fold1), byte1), equal64(or64(load64(at2 + at), fold2), byte2));
    Block64 met = found;
    if (checkSpecial) met = or64(met, equal64(lookUp64(special, first), first));
    if (!none64(met)) {
      start = at;
      return Candidates{mask64(found), checkSpecial && mask64(met) != mask64(found)};
    }
  }
  start = at;
  return Candidates{};
}
#endif

#if defined(SKERN_BLOCKS16)
// With SSE2: blocks of 64 starts, in four of 16, the bytes at either anchor read where they
// lie.
Candidates find16(const TermSearcher& s, const unsigned char* base, std::size_t last,
                  bool checkSpecial, std::size_t& start) {
  const Block16 byte1 = splat16(static_cast<char>(s.byte1));
  const Block16 byte2 = splat16(static_cast<char>(s.byte2));
  const Block16 fold1 = splat16(static_cast<char>(s.fold1));
  const Block16 fold2 = splat16(static_cast<char>(s.fold2));
  const Block16 cr = splat16('\r');
  const Block16 eof = splat16(0x1A);
  const unsigned char* const at1 = base + s.anchor1;
  const unsigned char* const at2 = base + s.anchor2;
  std::size_t at = start;
  for (; at + 63 <= last; at += 64) {
    Block16 found[4];
    Block16 any = splat16(0);
    Block16 special = splat16(0);
    for (int i = 0; i < 4; ++i) {
      Block16 first = load16(at1 + at + 16 * i);
      found[i] = and16(equal16(or16(first, fold1), byte1),
                       equal16(or16(load16(at2 + at + 16 * i), fold2), byte2));
      any = or16(any, found[i]);
      if (checkSpecial) special = or16(special, or16(equal16(first, cr), equal16(first, eof)));
    }
    if (mask16(or16(any, special)) != 0) {
      std::uint64_t candidates = 0;
      for (int i = 0; i < 4; ++i) {
        candidates |= static_cast<std::uint64_t>(mask16(found[i])) << (16 * i);
      }
      start = at;
      return Candidates{candidates, mask16(special) != 0};
    }
  }
  start = at;
  return Candidates{};
}
#endif

// Tries the starts from `start` up to `last` with `find` while it finds blocks, and leaves
// `start` at the first start not tried. Returns the offset of an occurrence, or, with
// `checkSpecial`, kSpecialByte once a special byte has been met among the bytes at anchor1 of
// the starts from `start` on; else -1.
long long scanWith(BlockFinder find, const TermSearcher& s, const unsigned char* base,
                   std::size_t last, bool checkSpecial, std::size_t& start) {
  for (;;) {
    Candidates met = find(s, base, last, checkSpecial, start);
    if (met.special) return kSpecialByte;
    if (met.candidates == 0) return -1;
    for (std::uint64_t bits = met.candidates; bits != 0; bits &= bits - 1) {
      std::size_t found = start + static_cast<std::size_t>(__builtin_ctzll(bits));
      if (matchesAt(s, reinterpret_cast<const char*>(base) + found)) {
        return static_cast<long long>(found);
      }
    }
    start += 64;
  }
}

// Tries the starts from `start` up to `last` in blocks, as wide as the processor allows, and
// leaves `start` at the first start not tried; results as for `scanWith`.
long long scanBlocks(const TermSearcher& s, const unsigned char* base, std::size_t last,
                     bool checkSpecial, std::size_t& start) {
#if defined(SKERN_BLOCKS512)
  if (hasAvx512bw()) {
    long long found = scanWith(find512, s, base, last, checkSpecial, start);
    if (found != -1) return found;
  }
#endif
#if defined(SKERN_BLOCKS64)
  if (hasAvx2()) {
    long long found = scanWith(find64, s, base, last, checkSpecial, start);
    if (found != -1) return found;
  }
#endif
#if defined(SKERN_BLOCKS16)
  return scanWith(find16, s, base, last, checkSpecial, start);
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
  // The two in the order they stand in the term.
  if (s.anchor2 < s.anchor1) std::swap(s.anchor1, s.anchor2);
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
  auto special = [&](std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to; ++i) {
      if (base[i] == '\r' || base[i] == 0x1A) return true;
    }
    return false;
  };
  std::size_t start = 0;
  std::size_t checked = 0;  // the bytes from here on are not yet checked for special bytes
  if (length <= bytes.size()) {
    // The block scans check only the bytes at anchor1 of the starts they try.
    if (special(0, s.anchor1)) return 0;
    long long found = scanBlocks(s, base, bytes.size() - length, true, start);
    if (found != -1) return found == kSpecialByte ? 0 : found;
    checked = start + s.anchor1;
  }
  // The rest: the bytes not yet checked for special bytes, and the starts not yet tried.
  if (special(checked, bytes.size())) return 0;
  return searchTerm(s, bytes.substr(start));
}
