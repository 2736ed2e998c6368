// Where each piece of a big file begins and ends, and how far before it its scan must read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "files/window_reach.h"
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

/// The bounds of piece `index` of `count`, each `pieceBytes` long but for the last, of `file`:
/// a piece begins after the first line feed at or after its nominal start's byte before (the
/// first piece at 0), so that the pieces hold whole lines and cover the file without overlap.
/// Reading begins far enough back for a window around the piece's first line to reach where
/// it reaches in a scan of the whole file.
PieceBounds findPieceBounds(OpenFile& file, std::uint64_t index, std::uint64_t count,
                            std::uint64_t pieceBytes, const WindowReach& reach);

/// The sum of the lengths of the elements of the line whose raw bytes are `line` (through its
/// line feed), as text mode and division make them: carriage returns do not count, and each
/// element ends at its first NUL.
std::uint64_t elementBytesOfLine(std::string line);
