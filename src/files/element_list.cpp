#include "files/element_list.h"

#include <cstring>

#include "platform/memory.h"

ElementList::~ElementList() {
  release();
}

void ElementList::dropBefore(std::size_t index) {
  if (index <= first_) return;
  std::size_t dropped = index - first_;
  if (dropped >= count_) {
    count_ = 0;
  } else {
    count_ -= dropped;
    std::memmove(static_cast<void*>(items_), items_ + dropped, count_ * sizeof(std::string_view));
  }
  first_ = index;
}

void ElementList::rebase(const char* from, const char* to) {
  for (std::size_t i = 0; i < count_; ++i) {
    items_[i] = std::string_view(to + (items_[i].data() - from), items_[i].size());
  }
}

void ElementList::release() {
  releaseMemory(items_, capacity_ * sizeof(std::string_view));
  items_ = nullptr;
  first_ = 0;
  count_ = 0;
  capacity_ = 0;
}

void ElementList::grow() {
  // Untouched pages cost nothing, so the first block is large and each growth doubles it.
  std::size_t capacity = capacity_ == 0 ? (std::size_t{1} << 16) : capacity_ * 2;
  auto* grown = static_cast<std::string_view*>(reserveMemory(capacity * sizeof(std::string_view)));
  if (count_ > 0) std::memcpy(static_cast<void*>(grown), items_, count_ * sizeof(std::string_view));
  releaseMemory(items_, capacity_ * sizeof(std::string_view));
  items_ = grown;
  capacity_ = capacity;
}
