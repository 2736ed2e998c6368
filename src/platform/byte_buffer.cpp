#include <cstring>

#include "platform/file_reader.h"

void reserveBytes(ByteBuffer& buffer, std::size_t needed) {
  if (needed <= buffer.capacity) return;
  std::size_t capacity = buffer.capacity < 4096 ? 4096 : buffer.capacity;
  while (capacity < needed) capacity = capacity + capacity / 2;
  std::unique_ptr<char[]> grown(new char[capacity]);
  if (buffer.size > 0) std::memcpy(grown.get(), buffer.data.get(), buffer.size);
  buffer.data = std::move(grown);
  buffer.capacity = capacity;
}
