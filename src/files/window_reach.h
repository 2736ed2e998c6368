// How far a window around a candidate reaches back, in held elements and in text not yet
// divided: what the text's buffer must keep.
#pragma once

#include <cstddef>

#include "files/element_division.h"
#include "files/element_list.h"

/// How far a window reaches from a candidate: `lines` elements, or `bytes` bytes of the text,
/// on either side; 0 and 0 for no window.
struct WindowReach {
  std::size_t lines = 0;  ///< Elements on either side.
  std::size_t bytes = 0;  ///< Bytes on either side.
};

/// The first held element that a window around element `floor` (clamped to those held), or
/// around a later one, can reach.
std::size_t firstReachableElement(const ElementList& elements, std::size_t floor,
                                  const WindowReach& reach);

/// The first chunk, at or after the cursor, that a window around a candidate at `to` or
/// later can reach; nullptr when a NUL in between makes elements shorter than their chunks,
/// so that the chunks do not tell how far a window of bytes reaches.
const char* firstReachableChunk(const ElementCursor& cursor, const char* to,
                                const WindowReach& reach);
