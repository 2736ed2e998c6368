#include "files/piece_reader.h"

#include <algorithm>
#include <cstring>

namespace {

// A piece is mapped this far beyond where its end's search begins: the line that ends it
// is found within it but for lines longer than that, whose rest is read.
constexpr std::uint64_t kMappedPastEnd = std::uint64_t{1} << 20;

// Scanned pages are given back to the system this many bytes at a time.
constexpr std::uint64_t kReleaseStride = std::uint64_t{4} << 20;

}  // namespace

PieceReader::PieceReader(OpenFile& file, const PieceBounds& bounds, std::uint64_t mappedFrom)
    : file_(file), bounds_(bounds), at_(bounds.readFrom), mappedFrom_(mappedFrom) {}

PieceReader::~PieceReader() {
  unmapFileBytes(map_);
}

std::size_t PieceReader::readyBytes() const {
  return at_ < file_.ahead.size() ? file_.ahead.size() - static_cast<std::size_t>(at_) : 0;
}

// Reads from the current place: the bytes read with the open, then from the file.
long long PieceReader::fetch(char* into, std::size_t most) {
  if (at_ < file_.ahead.size()) {
    std::size_t take = std::min(most, file_.ahead.size() - static_cast<std::size_t>(at_));
    std::memcpy(into, file_.ahead.data() + at_, take);
    return static_cast<long long>(take);
  }
  if (file_.aheadIsWhole) return 0;
  return readBytesAt(file_, into, most, at_);
}

// At most `most` bytes, and none past the piece's start: 0 once the piece has ended.
std::size_t PieceReader::limit(std::size_t most) const {
  if (endFound_ && !bounds_.readPastEnd) return 0;
  if (at_ < bounds_.start) most = std::min<std::uint64_t>(most, bounds_.start - at_);
  return most;
}

// Cuts the block of `got` bytes just taken from the current place at the piece's end, where
// that lies in it, and moves on past it.
long long PieceReader::settle(const char* block, long long got) {
  if (got <= 0) return got;
  std::uint64_t blockEnd = at_ + static_cast<std::uint64_t>(got);
  if (blockEnd == bounds_.start) reachedStart_ = true;
  if (!endFound_ && blockEnd > bounds_.endSearch) {
    // The piece ends with the first line feed at or after its end's search begins.
    std::uint64_t from = std::max(at_, bounds_.endSearch);
    std::size_t skip = static_cast<std::size_t>(from - at_);
    const void* feed = std::memchr(block + skip, '\n', static_cast<std::size_t>(got) - skip);
    if (feed != nullptr) {
      got = static_cast<const char*>(feed) + 1 - block;
      endFound_ = true;
      endAt_ = at_ + static_cast<std::uint64_t>(got);
      reachedEnd_ = true;
    }
  }
  at_ += static_cast<std::uint64_t>(got);
  return got;
}

long long PieceReader::read(char* into, std::size_t most) {
  reachedStart_ = false;
  reachedEnd_ = false;
  most = limit(most);
  if (most == 0) return 0;
  return settle(into, fetch(into, most));
}

// Maps what the piece reads, from the page its reading begins in to a little past where its
// end is looked for, or to the file's end; nothing where the file is small or the mapping
// fails.
void PieceReader::map() {
  mapTried_ = true;
  if (file_.size < 0 || static_cast<std::uint64_t>(file_.size) < mappedFrom_) return;
  const std::uint64_t size = static_cast<std::uint64_t>(file_.size);
  const std::uint64_t from = bounds_.readFrom / mappingGranularity() * mappingGranularity();
  std::uint64_t to = size;
  if (bounds_.endSearch < size && !bounds_.readPastEnd) {
    to = std::min(size, bounds_.endSearch + kMappedPastEnd);
  }
  if (to <= from || to - from > SIZE_MAX) return;
  map_ = mapFileBytes(file_, from, static_cast<std::size_t>(to - from));
  releasedTo_ = from;
}

std::string_view PieceReader::view(std::size_t most) {
  reachedStart_ = false;
  reachedEnd_ = false;
  if (!mapTried_) map();
  if (map_.bytes == nullptr || at_ < file_.ahead.size() || at_ < map_.offset) return {};
  const std::uint64_t mappedEnd = map_.offset + map_.size;
  if (at_ >= mappedEnd) return {};
  most = std::min<std::uint64_t>(limit(most), mappedEnd - at_);
  if (most == 0) return {};
  const char* block = map_.bytes + (at_ - map_.offset);
  return std::string_view(block,
                          static_cast<std::size_t>(settle(block, static_cast<long long>(most))));
}

const char* PieceReader::mappedAt(std::uint64_t offset) {
  if (!mapTried_) map();
  if (map_.bytes == nullptr || offset < map_.offset || offset > map_.offset + map_.size) {
    return nullptr;
  }
  return map_.bytes + (offset - map_.offset);
}

void PieceReader::releaseBefore(std::uint64_t offset) {
  if (map_.bytes == nullptr || offset < releasedTo_ + kReleaseStride) return;
  releaseMappedPages(map_, releasedTo_, offset);
  releasedTo_ = offset / mappingGranularity() * mappingGranularity();
}

void PieceReader::readOnFrom(std::uint64_t offset) {
  unmapFileBytes(map_);
  at_ = offset;
  if (endFound_ && endAt_ > offset) endFound_ = false;
  reachedStart_ = false;
  reachedEnd_ = false;
}

void PieceReader::rewind() {
  at_ = bounds_.readFrom;
  endFound_ = false;
  reachedStart_ = false;
  reachedEnd_ = false;
}
