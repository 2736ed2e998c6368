// Reading the raw bytes of one piece of a file, where a big file is searched in pieces.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/file_reader.h"

/// Where the scan of a piece reads. A piece begins at a line's first byte and ends just after
/// the first line feed at or after `endSearch`; reading begins earlier where a window around
/// the piece's first lines reaches back.
struct PieceBounds {
  std::uint64_t readFrom = 0;            ///< Where reading begins, a line's first byte.
  std::uint64_t start = 0;               ///< The piece's first byte.
  std::uint64_t endSearch = UINT64_MAX;  ///< The piece ends after the first line feed here or
                                         ///< later; UINT64_MAX: at the file's end.
  bool readPastEnd = false;              ///< A window may reach beyond the piece's end.
  bool empty = false;                    ///< No line begins in the piece.
};

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
  /// Goes back to where reading began; false when the file cannot be read again.
  bool rewind();

 private:
  long long fetch(char* into, std::size_t most);

  OpenFile& file_;
  PieceBounds bounds_;
  std::uint64_t at_ = 0;
  bool endFound_ = false;
  bool reachedStart_ = false;
  bool reachedEnd_ = false;
};
