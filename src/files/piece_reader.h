// Reading the raw bytes of one piece of a file, where a big file is searched in pieces.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "files/piece_bounds.h"
#include "platform/file_reader.h"
#include "platform/mapped_bytes.h"

/// The bytes of one piece of an open file, block by block, read or seen where they lie in a
/// mapping of the file. A block never runs over the piece's start or its end, so that
/// whoever reads knows both places.
class PieceReader {
 public:
  /// Reads `file` within `bounds`, mapping what it reads of it where the file has at least
  /// `mappedFrom` bytes; the file must outlive the reader.
  PieceReader(OpenFile& file, const PieceBounds& bounds, std::uint64_t mappedFrom = UINT64_MAX);
  /// Unmaps what it mapped.
  ~PieceReader();
  PieceReader(const PieceReader&) = delete;
  PieceReader& operator=(const PieceReader&) = delete;

  /// Reads the next block, at most `most` bytes, into `into`: the count, 0 once there is
  /// nothing more to read, -1 on error.
  long long read(char* into, std::size_t most);
  /// The next block, at most `most` bytes, where it lies in the mapping, cut as `read` cuts
  /// it; empty where the mapping does not hold it, and `read` must read it.
  std::string_view view(std::size_t most);
  /// Where the byte at file offset `offset` lies in the mapping, which is made the first time;
  /// null where it is not mapped.
  const char* mappedAt(std::uint64_t offset);
  /// Lets the system take back the mapped pages before file offset `offset`, scanned.
  void releaseBefore(std::uint64_t offset);
  /// After a mapped page was found gone: unmaps, and reads on from file offset `offset` on,
  /// which must not lie after the current place.
  void readOnFrom(std::uint64_t offset);
  /// Bytes the next read can give without asking the system (the file's first bytes).
  std::size_t readyBytes() const;
  /// True when the block read last ended where the piece begins.
  bool reachedStart() const { return reachedStart_; }
  /// True when the block read last ended where the piece ends.
  bool reachedEnd() const { return reachedEnd_; }
  /// True when reading begins where the piece does.
  bool startsAtPiece() const { return bounds_.readFrom == bounds_.start; }
  /// Where in the file the next read begins.
  std::uint64_t position() const { return at_; }
  /// Goes back to where reading began.
  void rewind();

 private:
  long long fetch(char* into, std::size_t most);
  std::size_t limit(std::size_t most) const;
  long long settle(const char* block, long long got);
  void map();

  OpenFile& file_;
  PieceBounds bounds_;
  std::uint64_t at_ = 0;
  std::uint64_t endAt_ = 0;  // where the piece ends, once found
  bool endFound_ = false;
  bool reachedStart_ = false;
  bool reachedEnd_ = false;
  std::uint64_t mappedFrom_;
  bool mapTried_ = false;
  MappedBytes map_;
  std::uint64_t releasedTo_ = 0;  // the mapped pages before this have been given back
};
