// Where each piece of a big file begins and ends, and how far before it its scan must read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "files/piece_reader.h"
#include "files/window_reach.h"
#include "platform/file_reader.h"

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
