#include "files/element_division.h"

#include <cstring>

#include "files/element_count.h"
#include "platform/byte_blocks.h"

namespace {

// Learns where the next NUL byte of the text held lies, when that is not known yet.
void knowNuls(ElementCursor& cursor) {
  if (cursor.nul != nullptr || cursor.nulKnownTo >= cursor.end) return;
  const char* from = cursor.nulKnownTo > cursor.at ? cursor.nulKnownTo : cursor.at;
  cursor.nul = static_cast<const char*>(
      std::memchr(from, '\0', static_cast<std::size_t>(cursor.end - from)));
  cursor.nulKnownTo = cursor.end;
}

// Appends the elements of the line [start, stop): 999 bytes each while more is left,
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

}  // namespace

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
#if defined(SKERN_BLOCKS16)
  // Sixteen bytes at a time; every line feed of a block ends a line.
  const Block16 feeds = splat16('\n');
  while (lineStart <= through && scan + 16 <= end) {
    unsigned mask = byteMask16(scan, feeds);
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
      // The line goes on beyond the text held: only its whole 999-byte elements are known yet.
      std::size_t whole = static_cast<std::size_t>(end - lineStart) / kMaxElementLength;
      if (whole > 0) appendLine(cursor, lineStart, lineStart + whole * kMaxElementLength, lines);
      lineStart += whole * kMaxElementLength;
      break;
    }
    scan = lineStart;
  }
  cursor.at = lineStart;
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
  const char* feed = lastByteIn(cursor.at, at, '\n');
  const char* lineStart = feed != nullptr ? feed + 1 : cursor.at;
  std::size_t whole = static_cast<std::size_t>(at - lineStart) / kMaxElementLength;
  return lineStart + whole * kMaxElementLength;
}
