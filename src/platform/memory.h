// Large blocks of memory for file texts and their element lists.
#pragma once

#include <cstddef>

/// A block of at least `bytes` bytes, left uninitialised; pages are taken from the system only
/// when first touched, a large block's in large pages where the host offers them. Never null.
void* reserveMemory(std::size_t bytes);

/// The most address space the process may take, in bytes; 0 when the host sets no limit.
std::size_t addressSpaceLimit();

/// Gives back a block that `reserveMemory` returned for `bytes`.
void releaseMemory(void* block, std::size_t bytes);
