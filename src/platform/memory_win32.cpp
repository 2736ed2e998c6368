#include <windows.h>

#include <new>

#include "platform/memory.h"

void* reserveMemory(std::size_t bytes) {
  void* block = VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
  if (block == nullptr) throw std::bad_alloc();
  return block;
}

std::size_t addressSpaceLimit() {
  return 0;
}

void releaseMemory(void* block, std::size_t) {
  if (block != nullptr) VirtualFree(block, 0, MEM_RELEASE);
}
