#include "files/window_reach.h"

#include <algorithm>
#include <cstring>

std::size_t firstReachableElement(const ElementList& elements, std::size_t floor,
                                  const WindowReach& reach) {
  floor = std::clamp(floor, elements.first(), elements.size());
  std::size_t first = floor;
  if (reach.lines > 0) {
    first = floor - std::min(floor - elements.first(), reach.lines);
  } else if (reach.bytes > 0) {
    std::size_t held = 0;
    while (held < reach.bytes && first > elements.first()) held += elements[--first].size();
  }
  return first;
}

const char* firstReachableChunk(const ElementCursor& cursor, const char* to,
                                const WindowReach& reach) {
  const char* from = chunkStart(cursor, to);
  if (reach.lines > 0) {
    for (std::size_t n = 0; n < reach.lines && from > cursor.at; ++n) {
      from = chunkStart(cursor, from - 1);
    }
  } else if (reach.bytes > 0) {
    const char* chunk = from;
    for (std::size_t held = 0; held < reach.bytes && from > cursor.at;) {
      const char* previous = chunkStart(cursor, from - 1);
      held += static_cast<std::size_t>(from - previous);
      from = previous;
    }
    if (std::memchr(from, '\0', static_cast<std::size_t>(chunk - from)) != nullptr) return nullptr;
  }
  return from;
}
