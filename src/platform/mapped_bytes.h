// Part of an open file seen through a read-only mapping, where the host offers one, and the
// catching of a fault on a mapped page whose bytes the file no longer has.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/file_reader.h"

/// Bytes of a file mapped read-only, `size` of them from file offset `offset`; empty
/// (`bytes` null) where nothing is mapped.
struct MappedBytes {
  const char* bytes = nullptr;  ///< The first byte mapped.
  std::size_t size = 0;         ///< How many bytes are mapped.
  std::uint64_t offset = 0;     ///< Where the first byte stands in the file.
};

/// The unit in which mappings begin: a mapping's file offset is a multiple of it.
std::uint64_t mappingGranularity();

/// Maps `size` bytes of `file` from `offset` (a multiple of `mappingGranularity`) read-only,
/// and has a fault on any of its pages caught on the calling thread (see `mappedBytesLost`).
/// Empty where the host, the file or the memory allows none.
MappedBytes mapFileBytes(const OpenFile& file, std::uint64_t offset, std::size_t size);

/// Unmaps `mapped`, which the calling thread mapped, and empties it.
void unmapFileBytes(MappedBytes& mapped);

/// Lets the system take back the pages of `mapped` that lie wholly within file offsets
/// [`from`, `to`); they stay mapped and are read from the file again if touched.
void releaseMappedPages(const MappedBytes& mapped, std::uint64_t from, std::uint64_t to);

/// True when a page of the calling thread's latest mapping was touched after the file lost
/// its bytes since the last call (or the mapping). The page and those after it then read as
/// zeros instead of ending the process.
bool mappedBytesLost();
