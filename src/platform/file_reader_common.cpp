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
