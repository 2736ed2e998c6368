#include "platform/byte_blocks.h"

#include <algorithm>
#include <atomic>

const char* lastByteIn(const char* from, const char* to, char byte) {
#if defined(SKERN_BLOCKS16)
  const Block16 wanted = splat16(byte);
  while (to - from >= 16) {
    unsigned mask = byteMask16(to - 16, wanted);
    if (mask != 0) return to - 16 + (31 - __builtin_clz(mask));
    to -= 16;
  }
#endif
  while (to > from) {
    if (*--to == byte) return to;
  }
  return nullptr;
}

namespace {

// The highest level that the processor runs.
VectorLevel processorLevel() {
#if defined(SKERN_BLOCKS64)
  __builtin_cpu_init();
#endif
#if defined(SKERN_BLOCKS512)
  if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw")) {
    return VectorLevel::avx512bw;
  }
#endif
#if defined(SKERN_BLOCKS64)
  if (__builtin_cpu_supports("avx2")) return VectorLevel::avx2;
#endif
  return VectorLevel::basic;
}

// The level the scans use: the processor's, asked once, unless a lower one was set since.
std::atomic<VectorLevel>& levelInUse() {
  static std::atomic<VectorLevel> level{processorLevel()};
  return level;
}

}  // namespace

VectorLevel vectorLevel() {
  return levelInUse().load(std::memory_order_relaxed);
}

void limitVectorLevel(VectorLevel limit) {
  levelInUse().store(std::min(limit, processorLevel()), std::memory_order_relaxed);
}
