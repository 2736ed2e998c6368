// Reading the raw bytes of one piece of a file, where a big file is searched in pieces.
#pragma once

#include <cstddef>
#include <cstdint>

#include "files/piece_bounds.h"
#include "platform/file_reader.h"

/// The bytes of one piece of an open file, block by block. A block never runs over the
/// piece's start or its end, so that whoever reads knows both places.
class PieceReader {
 public:
  /// Reads `file` within `bounds`; the file must outlive the reader.
  PieceReader(OpenFile& file, const PieceBounds& bounds);

  /// Reads the next block, at most `most` bytes, into `into`: the count, 0 once there is
  /// nothing more to read, -1 on error.
  long long read(char* into, std::size_t most);
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

  OpenFile& file_;
  PieceBounds bounds_;
  std::uint64_t at_ = 0;
  bool endFound_ = false;
  bool reachedStart_ = false;
  bool reachedEnd_ = false;
};
