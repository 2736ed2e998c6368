#include <cstring>

#include "platform/file_reader.h"

void reserveBytes(ByteBuffer& buffer, std::size_t needed) {
  if (needed <= buffer.capacity) return;
  // Room is reserved generously: pages that are never used are never touched, and each
  // growth would touch the pages of a new buffer once more.
  std::size_t capacity = buffer.capacity < (8u << 20) ? (8u << 20) : buffer.capacity;
  while (capacity < needed) capacity *= 2;
  std::unique_ptr<char[]> grown(new char[capacity]);
  if (buffer.size > 0) std::memcpy(grown.get(), buffer.data.get(), buffer.size);
  buffer.data = std::move(grown);
  buffer.capacity = capacity;
}
