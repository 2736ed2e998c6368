#include "platform/byte_blocks.h"

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

#if defined(SKERN_BLOCKS64)
bool hasAvx2() {
  static const bool supported = __builtin_cpu_supports("avx2");
  return supported;
}
#endif
