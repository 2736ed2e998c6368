#include "files/text_mode.h"

#include <cstring>

std::size_t applyTextMode(char* bytes, std::size_t size) {
  if (const void* end = std::memchr(bytes, 0x1A, size)) {
    size = static_cast<std::size_t>(static_cast<const char*>(end) - bytes);
  }
  char* cr = static_cast<char*>(std::memchr(bytes, '\r', size));
  if (cr == nullptr) return size;
  // Move each run between carriage returns down over the removed ones.
  char* out = cr;
  const char* in = cr + 1;
  const char* stop = bytes + size;
  while (in < stop) {
    const char* next =
        static_cast<const char*>(std::memchr(in, '\r', static_cast<std::size_t>(stop - in)));
    const char* runEnd = next != nullptr ? next : stop;
    std::size_t run = static_cast<std::size_t>(runEnd - in);
    std::memmove(out, in, run);
    out += run;
    in = runEnd + 1;
  }
  return static_cast<std::size_t>(out - bytes);
}

void splitIntoElements(std::string_view text, std::vector<std::string_view>& lines) {
  const char* at = text.data();
  const char* end = at + text.size();
  // Where the next NUL stands, looked up again only once the scan has passed it.
  const char* nul = static_cast<const char*>(std::memchr(at, '\0', text.size()));
  while (at < end) {
    std::size_t room = static_cast<std::size_t>(end - at);
    std::size_t span = room < kMaxElementLength ? room : kMaxElementLength;
    const char* lineFeed = static_cast<const char*>(std::memchr(at, '\n', span));
    const char* chunkEnd = lineFeed != nullptr ? lineFeed + 1 : at + span;
    const char* elementEnd = chunkEnd;
    if (nul != nullptr && nul < chunkEnd) {
      elementEnd = nul;
      nul = static_cast<const char*>(
          std::memchr(chunkEnd, '\0', static_cast<std::size_t>(end - chunkEnd)));
    }
    lines.emplace_back(at, static_cast<std::size_t>(elementEnd - at));
    at = chunkEnd;
  }
}
