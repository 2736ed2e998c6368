#include "files/text_mode.h"

#include <cstring>

#include "platform/byte_blocks.h"

namespace {

// The first 0x1A, carriage return and NUL of `bytes` (size when there is none), found in one
// pass; the search stops at the first 0x1A, since the text ends there.
struct SpecialBytes {
  std::size_t end, carriageReturn, nul;
};

#if defined(SKERN_BLOCKS64)
// Moves `at` over the blocks of 64 bytes from `at` on that hold no NUL, carriage return or
// 0x1A, as far as they go before `size`.
SKERN_AVX2 void passPlainBlocks(const char* bytes, std::size_t size, std::size_t& at) {
  const Block64 eof = splat64(0x1A);
  const Block64 cr = splat64('\r');
  const Block64 zero = splat64('\0');
  for (; at + 64 <= size; at += 64) {
    Block64 block = load64(bytes + at);
    if (!none64(or64(or64(equal64(block, eof), equal64(block, cr)), equal64(block, zero)))) return;
  }
}
#endif

SpecialBytes findSpecialBytes(const char* bytes, std::size_t size) {
  SpecialBytes found{size, size, size};
  std::size_t at = 0;
  auto note = [&](std::size_t i) {
    char c = bytes[i];
    if (c == 0x1A && found.end == size) found.end = i;
    if (c == '\r' && found.carriageReturn == size) found.carriageReturn = i;
    if (c == '\0' && found.nul == size) found.nul = i;
  };
#if defined(SKERN_BLOCKS64)
  // Most text holds none of them: it is passed over 64 bytes at a time.
  if (hasAvx2()) passPlainBlocks(bytes, size, at);
#endif
#if defined(SKERN_BLOCKS16)
  const Block16 eof = splat16(0x1A);
  const Block16 cr = splat16('\r');
  const Block16 zero = splat16('\0');
  for (; at + 16 <= size && found.end == size; at += 16) {
    Block16 block = load16(bytes + at);
    unsigned mask =
        mask16(or16(or16(equal16(block, eof), equal16(block, cr)), equal16(block, zero)));
    for (; mask != 0; mask &= mask - 1) note(at + static_cast<std::size_t>(__builtin_ctz(mask)));
  }
#endif
  for (; at < size && found.end == size; ++at) note(at);
  return found;
}

}  // namespace

TextBlock applyTextMode(char* bytes, std::size_t size) {
  SpecialBytes special = findSpecialBytes(bytes, size);
  TextBlock block;
  block.ended = special.end < size;
  size = special.end;
  if (special.carriageReturn >= size) {
    block.size = size;
    block.firstNul = special.nul < size ? bytes + special.nul : nullptr;
    return block;
  }
  // Move each run between carriage returns down over the removed ones.
  char* out = bytes + special.carriageReturn;
  const char* in = out + 1;
  const char* stop = bytes + size;
  while (in < stop) {
    std::size_t left = static_cast<std::size_t>(stop - in);
    const char* next = static_cast<const char*>(std::memchr(in, '\r', left));
    const char* runEnd = next != nullptr ? next : stop;
    std::size_t run = static_cast<std::size_t>(runEnd - in);
    std::memmove(out, in, run);
    out += run;
    in = runEnd + 1;
  }
  block.size = static_cast<std::size_t>(out - bytes);
  block.firstNul = static_cast<const char*>(std::memchr(bytes, '\0', block.size));
  return block;
}
