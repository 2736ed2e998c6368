#include "files/text_mode.h"

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace {

// Learns where the next NUL byte of the text held lies, when that is not known yet.
void knowNuls(ElementCursor& cursor) {
  if (cursor.nul != nullptr || cursor.nulKnownTo >= cursor.end) return;
  const char* from = cursor.nulKnownTo > cursor.at ? cursor.nulKnownTo : cursor.at;
  cursor.nul = static_cast<const char*>(
      std::memchr(from, '\0', static_cast<std::size_t>(cursor.end - from)));
  cursor.nulKnownTo = cursor.end;
}

// Appends the elements of the line [start, stop): pieces of 999 bytes while more is left,
// each cut short at a NUL that stands in it.
void appendLine(ElementCursor& cursor, const char* start, const char* stop, ElementList& lines) {
  while (start < stop) {
    std::size_t left = static_cast<std::size_t>(stop - start);
    const char* chunkEnd = start + (left > kMaxElementLength ? kMaxElementLength : left);
    const char* elementEnd = chunkEnd;
    if (cursor.nul != nullptr && cursor.nul < chunkEnd) {
      elementEnd = cursor.nul;
      std::size_t rest = static_cast<std::size_t>(cursor.end - chunkEnd);
      cursor.nul = static_cast<const char*>(std::memchr(chunkEnd, '\0', rest));
      cursor.nulKnownTo = cursor.end;
    }
    lines.emplace_back(start, static_cast<std::size_t>(elementEnd - start));
    start = chunkEnd;
  }
}

// The first 0x1A, carriage return and NUL of `bytes` (size when there is none), found in one
// pass; the search stops at the first 0x1A, since the text ends there.
struct SpecialBytes {
  std::size_t end, carriageReturn, nul;
};

#if defined(__x86_64__) || defined(__i386__)
bool hasAvx2();

// Moves `at` over the blocks of 64 bytes from `at` on that hold no NUL, carriage return or
// 0x1A, as far as they go before `size`.
__attribute__((target("avx2"))) void passPlainBlocks(const char* bytes, std::size_t size,
                                                     std::size_t& at) {
  const __m256i eof = _mm256_set1_epi8(0x1A);
  const __m256i cr = _mm256_set1_epi8('\r');
  const __m256i zero = _mm256_setzero_si256();
  for (; at + 64 <= size; at += 64) {
    __m256i low = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes + at));
    __m256i high = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes + at + 32));
    __m256i any = _mm256_or_si256(
        _mm256_or_si256(_mm256_or_si256(_mm256_cmpeq_epi8(low, eof), _mm256_cmpeq_epi8(low, cr)),
                        _mm256_cmpeq_epi8(low, zero)),
        _mm256_or_si256(_mm256_or_si256(_mm256_cmpeq_epi8(high, eof), _mm256_cmpeq_epi8(high, cr)),
                        _mm256_cmpeq_epi8(high, zero)));
    if (!_mm256_testz_si256(any, any)) return;
  }
}
#endif

SpecialBytes findSpecialBytes(const char* bytes, std::size_t size) {
  SpecialBytes found{size, size, size};
  std::size_t at = 0;
  auto note = [&](std::size_t i) {
    char c = bytes[i];
    if (c == 0x1A && found.end == size) found.end = i;
    if (c == '\r' && found.carriageReturn == size) found.carriageReturn = i;
    if (c == '\0' && found.nul == size) found.nul = i;
  };
#if defined(__x86_64__) || defined(__i386__)
  // Most text holds none of them: it is passed over 64 bytes at a time.
  if (hasAvx2()) passPlainBlocks(bytes, size, at);
#endif
#if defined(__SSE2__)
  const __m128i eof = _mm_set1_epi8(0x1A);
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i zero = _mm_setzero_si128();
  for (; at + 16 <= size && found.end == size; at += 16) {
    __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + at));
    __m128i any = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(block, eof), _mm_cmpeq_epi8(block, cr)),
                               _mm_cmpeq_epi8(block, zero));
    unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(any));
    for (; mask != 0; mask &= mask - 1) note(at + static_cast<std::size_t>(__builtin_ctz(mask)));
  }
#endif
  for (; at < size && found.end == size; ++at) note(at);
  return found;
}

// The last line feed in [from, to), or nullptr.
const char* lastLineFeed(const char* from, const char* to) {
#if defined(__SSE2__)
  const __m128i feeds = _mm_set1_epi8('\n');
  while (to - from >= 16) {
    __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(to - 16));
    unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, feeds)));
    if (mask != 0) return to - 16 + (31 - __builtin_clz(mask));
    to -= 16;
  }
#endif
  while (to > from) {
    if (*--to == '\n') return to;
  }
  return nullptr;
}

// Counts the line feeds in the whole runs of 448 bytes from `scan` on that end before `to`,
// and leaves `scan` after them; returns false, leaving `scan` where it was, when a run
// without a line feed might be part of a line longer than 999 bytes, whose line feed then
// ends more than one element.
#if defined(__x86_64__) || defined(__i386__)
__attribute__((target("avx2"))) bool countWide(const char*& scan, const char* to,
                                               std::size_t& count) {
  // Every run of 448 bytes (seven blocks) that holds a line feed keeps lines below 999 bytes.
  constexpr std::ptrdiff_t kRun = 7 * 64;
  const __m256i feeds = _mm256_set1_epi8('\n');
  const char* at = scan;
  __m256i sums = _mm256_setzero_si256();
  while (to - at >= kRun) {
    // Byte counters hold at most 255, and a run adds up to 14 to each.
    __m256i counters = _mm256_setzero_si256();
    for (int n = 0; n < 18 && to - at >= kRun; ++n) {
      __m256i any = _mm256_setzero_si256();
      for (int block = 0; block < 7; ++block, at += 64) {
        __m256i low =
            _mm256_cmpeq_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(at)), feeds);
        __m256i high =
            _mm256_cmpeq_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + 32)), feeds);
        counters = _mm256_sub_epi8(_mm256_sub_epi8(counters, low), high);
        any = _mm256_or_si256(any, _mm256_or_si256(low, high));
      }
      if (_mm256_testz_si256(any, any)) return false;
    }
    sums = _mm256_add_epi64(sums, _mm256_sad_epu8(counters, _mm256_setzero_si256()));
  }
  alignas(32) std::uint64_t lanes[4];
  _mm256_store_si256(reinterpret_cast<__m256i*>(lanes), sums);
  count += lanes[0] + lanes[1] + lanes[2] + lanes[3];
  scan = at;
  return true;
}

bool hasAvx2() {
  static const bool supported = __builtin_cpu_supports("avx2");
  return supported;
}
#endif

// Counts the elements of the lines that end at the line feeds in [scan, end), the first of
// them begun at `lineStart`, and leaves `lineStart` after the last line feed.
void countLines(const char* scan, const char* end, const char*& lineStart,
                std::uint64_t& elements) {
  auto lineEnds = [&](const char* feed) {
    std::size_t length = static_cast<std::size_t>(feed - lineStart);
    elements += length / kMaxElementLength + 1;
    lineStart = feed + 1;
  };
#if defined(__SSE2__)
  const __m128i feeds = _mm_set1_epi8('\n');
  for (; end - scan >= 16; scan += 16) {
    __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(scan));
    unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, feeds)));
    for (; mask != 0; mask &= mask - 1) lineEnds(scan + __builtin_ctz(mask));
  }
#endif
  for (; scan < end; ++scan) {
    if (*scan == '\n') lineEnds(scan);
  }
}

}  // namespace

TextBlock applyTextMode(char* bytes, std::size_t size) {
  SpecialBytes special = findSpecialBytes(bytes, size);
  TextBlock block;
  block.ended = special.end < size;
  size = special.end;
  if (special.carriageReturn >= size) {
    block.size = size;
    block.firstNul = special.nul < size ? bytes + special.nul : nullptr;
    return block;
  }
  // Move each run between carriage returns down over the removed ones.
  char* out = bytes + special.carriageReturn;
  const char* in = out + 1;
  const char* stop = bytes + size;
  while (in < stop) {
    std::size_t left = static_cast<std::size_t>(stop - in);
    const char* next = static_cast<const char*>(std::memchr(in, '\r', left));
    const char* runEnd = next != nullptr ? next : stop;
    std::size_t run = static_cast<std::size_t>(runEnd - in);
    std::memmove(out, in, run);
    out += run;
    in = runEnd + 1;
  }
  block.size = static_cast<std::size_t>(out - bytes);
  block.firstNul = static_cast<const char*>(std::memchr(bytes, '\0', block.size));
  return block;
}

ElementCursor startElements(std::string_view text, bool final) {
  ElementCursor cursor;
  cursor.at = text.data();
  cursor.end = text.data() + text.size();
  cursor.nulKnownTo = cursor.at;
  cursor.final = final;
  return cursor;
}

void divideElements(ElementCursor& cursor, const char* through, ElementList& lines) {
  knowNuls(cursor);
  const char* lineStart = cursor.at;
  const char* const end = cursor.end;
  // Ends the line at `stop` (just after its line feed, or the end of the text): one element,
  // or several for a line longer than 999 bytes or one that holds a NUL.
  auto endLine = [&](const char* stop) {
    bool noNul = cursor.nul == nullptr || cursor.nul >= stop;
    if (noNul && static_cast<std::size_t>(stop - lineStart) <= kMaxElementLength) {
      lines.emplace_back(lineStart, static_cast<std::size_t>(stop - lineStart));
    } else {
      appendLine(cursor, lineStart, stop, lines);
    }
    lineStart = stop;
  };
  const char* scan = lineStart;
#if defined(__SSE2__)
  // Sixteen bytes at a time; every line feed of a block ends a line.
  const __m128i feeds = _mm_set1_epi8('\n');
  while (lineStart <= through && scan + 16 <= end) {
    __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(scan));
    unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, feeds)));
    while (mask != 0 && lineStart <= through) {
      endLine(scan + __builtin_ctz(mask) + 1);
      mask &= mask - 1;
    }
    if (mask != 0) break;  // stopped inside the block: the rest is divided another time
    scan += 16;
  }
#endif
  while (lineStart <= through && lineStart < end) {
    if (scan < lineStart) scan = lineStart;
    const char* lineFeed =
        static_cast<const char*>(std::memchr(scan, '\n', static_cast<std::size_t>(end - scan)));
    if (lineFeed != nullptr) {
      endLine(lineFeed + 1);
    } else if (cursor.final) {
      endLine(end);
    } else {
      // The line goes on beyond the text held: only its whole pieces are known yet.
      std::size_t whole = static_cast<std::size_t>(end - lineStart) / kMaxElementLength;
      if (whole > 0) appendLine(cursor, lineStart, lineStart + whole * kMaxElementLength, lines);
      lineStart += whole * kMaxElementLength;
      break;
    }
    scan = lineStart;
  }
  cursor.at = lineStart;
}

void countElements(ElementCount& count, std::string_view text) {
  const char* scan = text.data();
  const char* const end = scan + text.size();
  // The line that goes on from before: exactly, up to its line feed.
  const char* feed = static_cast<const char*>(std::memchr(scan, '\n', text.size()));
  if (feed == nullptr) {
    count.lineLength += text.size();
    return;
  }
  count.elements +=
      (count.lineLength + static_cast<std::uint64_t>(feed - scan)) / kMaxElementLength + 1;
  const char* lineStart = feed + 1;
  scan = lineStart;
#if defined(__x86_64__) || defined(__i386__)
  std::size_t feeds = 0;
  if (hasAvx2() && countWide(scan, end, feeds)) {
    count.elements += feeds;
    const char* last = lastLineFeed(lineStart, scan);
    if (last != nullptr) lineStart = last + 1;
  }
#endif
  countLines(scan, end, lineStart, count.elements);
  count.lineLength = static_cast<std::uint64_t>(end - lineStart);
}

std::size_t skipElements(ElementCursor& cursor, const char* to, bool counted) {
  ElementCount count;
  if (counted)
    countElements(count, std::string_view(cursor.at, static_cast<std::size_t>(to - cursor.at)));
  cursor.at = to;
  if (cursor.nul != nullptr && cursor.nul < to) {
    cursor.nul = nullptr;
    cursor.nulKnownTo = to;
  } else if (cursor.nul == nullptr && cursor.nulKnownTo < to) {
    cursor.nulKnownTo = to;
  }
  return static_cast<std::size_t>(count.total());
}

const char* chunkStart(const ElementCursor& cursor, const char* at) {
  const char* feed = lastLineFeed(cursor.at, at);
  const char* lineStart = feed != nullptr ? feed + 1 : cursor.at;
  std::size_t pieces = static_cast<std::size_t>(at - lineStart) / kMaxElementLength;
  return lineStart + pieces * kMaxElementLength;
}
