// The text-mode view of a file's bytes: the text ends at the first byte 0x1A, and carriage
// returns are not part of it.
#pragma once

#include <cstddef>

/// What text mode made of a block of raw bytes.
struct TextBlock {
  std::size_t size = 0;            ///< The length of the block's text.
  const char* firstNul = nullptr;  ///< The text's first NUL byte, or nullptr.
  bool ended = false;              ///< The block held a byte 0x1A: the file's text ends with it.
};

/// Turns raw file bytes into text in place: the text ends at the first byte 0x1A and every
/// carriage return is removed.
TextBlock applyTextMode(char* bytes, std::size_t size);
