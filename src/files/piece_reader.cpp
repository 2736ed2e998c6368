#include "files/piece_reader.h"

#include <algorithm>
#include <cstring>

PieceReader::PieceReader(OpenFile& file, const PieceBounds& bounds)
    : file_(file), bounds_(bounds), at_(bounds.readFrom) {}

std::size_t PieceReader::readyBytes() const {
  return at_ < file_.ahead.size() ? file_.ahead.size() - static_cast<std::size_t>(at_) : 0;
}

// Reads from the current place: the bytes read with the open first, then from the file.
long long PieceReader::fetch(char* into, std::size_t most) {
  if (at_ < file_.ahead.size()) {
    std::size_t take = std::min(most, file_.ahead.size() - static_cast<std::size_t>(at_));
    std::memcpy(into, file_.ahead.data() + at_, take);
    return static_cast<long long>(take);
  }
  if (file_.aheadIsWhole) return 0;
  return readBytesAt(file_, into, most, at_);
}

long long PieceReader::read(char* into, std::size_t most) {
  reachedStart_ = false;
  reachedEnd_ = false;
  if (endFound_ && !bounds_.readPastEnd) return 0;
  if (at_ < bounds_.start) most = std::min<std::uint64_t>(most, bounds_.start - at_);
  long long got = fetch(into, most);
  if (got <= 0) return got;
  std::uint64_t blockEnd = at_ + static_cast<std::uint64_t>(got);
  if (blockEnd == bounds_.start) reachedStart_ = true;
  if (!endFound_ && blockEnd > bounds_.endSearch) {
    // The piece ends with the first line feed at or after its end's search begins.
    std::uint64_t from = std::max(at_, bounds_.endSearch);
    std::size_t skip = static_cast<std::size_t>(from - at_);
    const void* feed = std::memchr(into + skip, '\n', static_cast<std::size_t>(got) - skip);
    if (feed != nullptr) {
      got = static_cast<const char*>(feed) + 1 - into;
      endFound_ = true;
      reachedEnd_ = true;
    }
  }
  at_ += static_cast<std::uint64_t>(got);
  return got;
}

void PieceReader::rewind() {
  at_ = bounds_.readFrom;
  endFound_ = false;
  reachedStart_ = false;
  reachedEnd_ = false;
}
