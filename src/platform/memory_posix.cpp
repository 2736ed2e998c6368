#include <sys/mman.h>
#include <sys/resource.h>

#include <new>

#include "platform/memory.h"

namespace {

// Blocks from this size on are held in large pages where the host offers them.
constexpr std::size_t kLargePagesFrom = std::size_t{64} << 20;

}  // namespace

void* reserveMemory(std::size_t bytes) {
  void* block = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (block == MAP_FAILED) throw std::bad_alloc();
#if defined(MADV_HUGEPAGE)
  // Large pages spare the page faults of touching a big text 4 KiB at a time; the buffers
  // every thread has from the start stay in small pages, so that what they hold is what
  // they take.
  if (bytes >= kLargePagesFrom) madvise(block, bytes, MADV_HUGEPAGE);
#endif
  return block;
}

std::size_t addressSpaceLimit() {
  struct rlimit limit;
  if (getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return 0;
  return static_cast<std::size_t>(limit.rlim_cur);
}

void releaseMemory(void* block, std::size_t bytes) {
  if (block != nullptr) munmap(block, bytes);
}
