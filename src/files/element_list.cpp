#include "files/element_list.h"

#include <cstring>

#include "platform/memory.h"

ElementList::~ElementList() {
  release();
}

void ElementList::release() {
  releaseMemory(items_, capacity_ * sizeof(std::string_view));
  items_ = nullptr;
  size_ = 0;
  capacity_ = 0;
}

void ElementList::grow() {
  // Untouched pages cost nothing, so the first block is large and each growth doubles it.
  std::size_t capacity = capacity_ == 0 ? (std::size_t{1} << 20) : capacity_ * 2;
  auto* grown = static_cast<std::string_view*>(reserveMemory(capacity * sizeof(std::string_view)));
  if (size_ > 0) std::memcpy(static_cast<void*>(grown), items_, size_ * sizeof(std::string_view));
  releaseMemory(items_, capacity_ * sizeof(std::string_view));
  items_ = grown;
  capacity_ = capacity;
}
