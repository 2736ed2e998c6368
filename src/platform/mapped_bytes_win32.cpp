#include "platform/mapped_bytes.h"

// A mapped view would stop other programs from shortening the file while it is searched:
// files are read.

std::uint64_t mappingGranularity() {
  return 1;
}

MappedBytes mapFileBytes(const OpenFile&, std::uint64_t, std::size_t) {
  return MappedBytes();
}

void unmapFileBytes(MappedBytes& mapped) {
  mapped = MappedBytes();
}

void releaseMappedPages(const MappedBytes&, std::uint64_t, std::uint64_t) {}

bool mappedBytesLost() {
  return false;
}
