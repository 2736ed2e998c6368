#include <cstring>

#include "platform/file_reader.h"
#include "platform/memory.h"

void BufferRelease::operator()(char* block) const {
  releaseMemory(block, bytes);
}

void reserveBytes(ByteBuffer& buffer, std::size_t needed) {
  if (needed <= buffer.capacity) return;
  // Room is reserved generously: pages that are never used are never touched, and each
  // growth would touch the pages of a new buffer once more.
  std::size_t capacity = buffer.capacity < (8u << 20) ? (8u << 20) : buffer.capacity;
  while (capacity < needed) capacity *= 2;
  std::unique_ptr<char[], BufferRelease> grown(static_cast<char*>(reserveMemory(capacity)),
                                               BufferRelease{capacity});
  if (buffer.size > 0) std::memcpy(grown.get(), buffer.data.get(), buffer.size);
  buffer.data = std::move(grown);
  buffer.capacity = capacity;
}

void readRestBytes(OpenFile& file, ByteBuffer& buffer) {
  // One read of what is left of the file, asking for a byte more than its size: a short read
  // is its end. A file that grew since it was opened fills the request and is read on.
  std::size_t want =
      file.expectedSize > 0 ? static_cast<std::size_t>(file.expectedSize) + 1 : 1 << 16;
  for (;;) {
    reserveBytes(buffer, buffer.size + want);
    std::size_t room = buffer.capacity - buffer.size;
    long long got = readSomeBytes(file, buffer.data.get() + buffer.size, room);
    if (got <= 0) return;
    buffer.size += static_cast<std::size_t>(got);
    if (static_cast<std::size_t>(got) < room) return;
    want = 1 << 16;
  }
}

void appendAhead(const OpenFile& file, ByteBuffer& buffer) {
  if (file.ahead.empty()) return;
  reserveBytes(buffer, buffer.size + file.ahead.size());
  std::memcpy(buffer.data.get() + buffer.size, file.ahead.data(), file.ahead.size());
  buffer.size += file.ahead.size();
}

void readWholeFile(OpenFile& file, ByteBuffer& buffer) {
  appendAhead(file, buffer);
  if (!file.aheadIsWhole) readRestBytes(file, buffer);
}
