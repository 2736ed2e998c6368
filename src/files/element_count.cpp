#include "files/element_count.h"

#include <cstddef>
#include <cstring>

#include "platform/byte_blocks.h"

namespace {

#if defined(SKERN_BLOCKS64)
// Counts the line feeds in the whole runs of 448 bytes from `scan` on that end before `to`,
// and leaves `scan` after them; returns false, leaving `scan` where it was, when a run
// without a line feed might be part of a line longer than 999 bytes, whose line feed then
// ends more than one element.
SKERN_AVX2 bool countWide(const char*& scan, const char* to, std::size_t& count) {
  // Every run of 448 bytes (seven blocks) that holds a line feed keeps lines below 999 bytes.
  constexpr std::ptrdiff_t kRun = 7 * 64;
  const Block64 feeds = splat64('\n');
  const char* at = scan;
  std::size_t sum = 0;
  while (to - at >= kRun) {
    // Byte counters hold at most 255, and a run adds up to 14 to each.
    LaneCounts counters = noCounts();
    for (int n = 0; n < 18 && to - at >= kRun; ++n) {
      Block64 any = splat64('\0');
      for (int block = 0; block < 7; ++block, at += 64) {
        Block64 found = equal64(load64(at), feeds);
        counters = countLanes(counters, found);
        any = or64(any, found);
      }
      if (none64(any)) return false;
    }
    sum += sumCounts(counters);
  }
  count += sum;
  scan = at;
  return true;
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
#if defined(SKERN_BLOCKS16)
  const Block16 feeds = splat16('\n');
  for (; end - scan >= 16; scan += 16) {
    unsigned mask = byteMask16(scan, feeds);
    for (; mask != 0; mask &= mask - 1) lineEnds(scan + __builtin_ctz(mask));
  }
#endif
  for (; scan < end; ++scan) {
    if (*scan == '\n') lineEnds(scan);
  }
}

}  // namespace

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
#if defined(SKERN_BLOCKS64)
  std::size_t feeds = 0;
  if (hasAvx2() && countWide(scan, end, feeds)) {
    count.elements += feeds;
    const char* last = lastByteIn(lineStart, scan, '\n');
    if (last != nullptr) lineStart = last + 1;
  }
#endif
  countLines(scan, end, lineStart, count.elements);
  count.lineLength = static_cast<std::uint64_t>(end - lineStart);
}
