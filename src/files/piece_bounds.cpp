#include "files/piece_bounds.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "files/element_division.h"
#include "files/element_list.h"
#include "files/text_mode.h"
#include "platform/byte_blocks.h"

namespace {

// Bytes read at a time while looking for a line feed, or walking back over lines; the first
// look for a line feed reads less, since most lines are short.
constexpr std::size_t kBlock = std::size_t{1} << 16;
constexpr std::size_t kFirstLook = std::size_t{1} << 12;

// Lines longer than this that hold a NUL are counted as adding nothing to a character
// window's reach back: reading back goes on further instead.
constexpr std::size_t kMostLineMeasured = std::size_t{1} << 20;

// The first line feed at or after `from` and before `to`; false when there is none.
bool lineFeedIn(OpenFile& file, std::uint64_t from, std::uint64_t to, std::uint64_t& found) {
  std::vector<char> block(kBlock);
  for (std::size_t most = kFirstLook; from < to; most = kBlock) {
    std::size_t ask = static_cast<std::size_t>(std::min<std::uint64_t>(most, to - from));
    long long got = readBytesAt(file, block.data(), ask, from);
    if (got <= 0) return false;
    const void* feed = std::memchr(block.data(), '\n', static_cast<std::size_t>(got));
    if (feed != nullptr) {
      found = from + static_cast<std::uint64_t>(static_cast<const char*>(feed) - block.data());
      return true;
    }
    from += static_cast<std::uint64_t>(got);
  }
  return false;
}

// Walks back from `start`, a line's first byte, line by line until the lines passed hold
// `reach.lines` elements or `reach.bytes` bytes of elements; returns the first byte of the
// last line passed (0 at the file's start).
std::uint64_t leadInStart(OpenFile& file, std::uint64_t start, const WindowReach& reach) {
  std::uint64_t lines = 0;
  std::uint64_t bytes = 0;
  std::uint64_t lineEnd = start;  // just after the line feed of the line being walked over
  std::string line;               // its raw bytes, while it is short enough to measure
  bool measurable = true;
  std::uint64_t crs = 0;
  bool nul = false;
  std::vector<char> block(kBlock);
  // The byte before `start` is the line feed that ends the line before it: the search for
  // that line's own start begins one byte earlier.
  std::uint64_t scanEnd = start - 1;
  while (scanEnd > 0) {
    std::uint64_t from = scanEnd > kBlock ? scanEnd - kBlock : 0;
    std::size_t size = static_cast<std::size_t>(scanEnd - from);
    long long got = readBytesAt(file, block.data(), size, from);
    if (got != static_cast<long long>(size)) return 0;  // the file changed: read from its start
    std::size_t end = size;
    for (;;) {
      const char* feed = lastByteIn(block.data(), block.data() + end, '\n');
      std::size_t begin = feed != nullptr ? static_cast<std::size_t>(feed - block.data()) + 1 : 0;
      const char* part = block.data() + begin;
      std::size_t partSize = end - begin;
      crs += static_cast<std::uint64_t>(std::count(part, part + partSize, '\r'));
      nul = nul || std::memchr(part, '\0', partSize) != nullptr;
      if (measurable && line.size() + partSize <= kMostLineMeasured) {
        line.insert(0, part, partSize);
      } else {
        measurable = false;
      }
      if (feed == nullptr) break;
      // A whole line lies between this line feed and `lineEnd`.
      std::uint64_t lineStart = from + begin;
      ++lines;
      if (!nul) {
        bytes += lineEnd - lineStart - crs;
      } else if (measurable) {
        line += '\n';
        bytes += elementBytesOfLine(std::move(line));
      }
      if ((reach.lines > 0 && lines >= reach.lines) || (reach.bytes > 0 && bytes >= reach.bytes)) {
        return lineStart;
      }
      lineEnd = lineStart;
      line.clear();
      measurable = true;
      crs = 0;
      nul = false;
      end = begin - 1;  // before the line feed
    }
    scanEnd = from;
  }
  return 0;
}

}  // namespace

std::uint64_t elementBytesOfLine(std::string line) {
  TextBlock text = applyTextMode(line.data(), line.size());
  ElementList elements;
  ElementCursor cursor = startElements(std::string_view(line.data(), text.size));
  while (!cursor.done()) divideElements(cursor, line.data() + text.size, elements);
  std::uint64_t total = 0;
  for (std::string_view element : elements) total += element.size();
  return total;
}

PieceBounds findPieceBounds(OpenFile& file, std::uint64_t index, std::uint64_t count,
                            std::uint64_t pieceBytes, const WindowReach& reach) {
  PieceBounds bounds;
  bounds.readPastEnd = reach.lines > 0 || reach.bytes > 0;
  if (index + 1 < count) bounds.endSearch = (index + 1) * pieceBytes - 1;
  if (index == 0) return bounds;
  std::uint64_t feed = 0;
  if (!lineFeedIn(file, index * pieceBytes - 1, bounds.endSearch, feed)) {
    // The line that runs over the piece's nominal start runs over its end too (or the file
    // ends first): the piece before holds it, and no line begins in this one.
    bounds.empty = true;
    return bounds;
  }
  bounds.start = feed + 1;
  bounds.readFrom = bounds.readPastEnd ? leadInStart(file, bounds.start, reach) : bounds.start;
  return bounds;
}
