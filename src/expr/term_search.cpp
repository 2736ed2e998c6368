#include "expr/term_search.h"

#include <cstdint>
#include <cstring>

#include "platform/ascii.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

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

#if defined(__x86_64__) || defined(__i386__)
#define SKERN_HAVE_AVX2_SCAN 1

// Tries the starts from `start` on, 64 at a time, while all the bytes they need lie inside
// the text, and leaves `start` at the first start not tried. Returns the offset of an
// occurrence, or, with `checkSpecial`, kSpecialByte once a carriage return or 0x1A has been
// met in the bytes [0, start + 64); else -1.
__attribute__((target("avx2"))) long long scanWide(const TermSearcher& s, const unsigned char* base,
                                                   std::size_t last, bool checkSpecial,
                                                   std::size_t& start) {
  const __m256i want1 = _mm256_set1_epi8(static_cast<char>(s.byte1));
  const __m256i want2 = _mm256_set1_epi8(static_cast<char>(s.byte2));
  const __m256i fold1 = _mm256_set1_epi8(static_cast<char>(s.fold1));
  const __m256i fold2 = _mm256_set1_epi8(static_cast<char>(s.fold2));
  const __m256i cr = _mm256_set1_epi8('\r');
  const __m256i eof = _mm256_set1_epi8(0x1A);
  for (; start + 63 <= last; start += 64) {
    const unsigned char* at = base + start;
    if (checkSpecial) {
      __m256i low = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
      __m256i high = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + 32));
      __m256i found = _mm256_or_si256(
          _mm256_or_si256(_mm256_cmpeq_epi8(low, cr), _mm256_cmpeq_epi8(low, eof)),
          _mm256_or_si256(_mm256_cmpeq_epi8(high, cr), _mm256_cmpeq_epi8(high, eof)));
      if (_mm256_movemask_epi8(found) != 0) return kSpecialByte;
    }
    __m256i low1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + s.anchor1));
    __m256i low2 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + s.anchor2));
    __m256i high1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + 32 + s.anchor1));
    __m256i high2 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + 32 + s.anchor2));
    __m256i lowHit = _mm256_and_si256(_mm256_cmpeq_epi8(_mm256_or_si256(low1, fold1), want1),
                                      _mm256_cmpeq_epi8(_mm256_or_si256(low2, fold2), want2));
    __m256i highHit = _mm256_and_si256(_mm256_cmpeq_epi8(_mm256_or_si256(high1, fold1), want1),
                                       _mm256_cmpeq_epi8(_mm256_or_si256(high2, fold2), want2));
    std::uint64_t mask =
        static_cast<std::uint32_t>(_mm256_movemask_epi8(lowHit)) |
        (static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm256_movemask_epi8(highHit)))
         << 32);
    for (; mask != 0; mask &= mask - 1) {
      std::size_t at = start + static_cast<std::size_t>(__builtin_ctzll(mask));
      if (matchesAt(s, reinterpret_cast<const char*>(base) + at)) return static_cast<long long>(at);
    }
  }
  return -1;
}

bool hasAvx2() {
  static const bool supported = __builtin_cpu_supports("avx2");
  return supported;
}
#endif

#if defined(__SSE2__)
// As `scanWide`, sixteen starts at a time.
long long scanNarrow(const TermSearcher& s, const unsigned char* base, std::size_t last,
                     bool checkSpecial, std::size_t& start) {
  const __m128i want1 = _mm_set1_epi8(static_cast<char>(s.byte1));
  const __m128i want2 = _mm_set1_epi8(static_cast<char>(s.byte2));
  const __m128i fold1 = _mm_set1_epi8(static_cast<char>(s.fold1));
  const __m128i fold2 = _mm_set1_epi8(static_cast<char>(s.fold2));
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i eof = _mm_set1_epi8(0x1A);
  for (; start + 15 <= last; start += 16) {
    const unsigned char* at = base + start;
    if (checkSpecial) {
      __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
      __m128i special = _mm_or_si128(_mm_cmpeq_epi8(here, cr), _mm_cmpeq_epi8(here, eof));
      if (_mm_movemask_epi8(special) != 0) return kSpecialByte;
    }
    __m128i at1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + s.anchor1));
    __m128i at2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + s.anchor2));
    __m128i hit = _mm_and_si128(_mm_cmpeq_epi8(_mm_or_si128(at1, fold1), want1),
                                _mm_cmpeq_epi8(_mm_or_si128(at2, fold2), want2));
    unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hit));
    for (; mask != 0; mask &= mask - 1) {
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
#if defined(SKERN_HAVE_AVX2_SCAN)
  if (hasAvx2()) {
    long long found = scanWide(s, base, last, checkSpecial, start);
    if (found != -1) return found;
  }
#endif
#if defined(__SSE2__)
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
