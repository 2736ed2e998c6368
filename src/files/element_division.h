// Dividing text into the elements of `LineList`: each chunk runs through the next line feed or
// for 999 bytes, whichever comes first, and its element is the chunk cut short at its first NUL.
#pragma once

#include <cstddef>
#include <string_view>

#include "files/element_list.h"

/// How far a text, which may still grow at its end, has been divided into elements.
struct ElementCursor {
  const char* at = nullptr;          ///< Where the next element's chunk begins.
  const char* end = nullptr;         ///< The end of the text held.
  const char* nul = nullptr;         ///< The first NUL byte in [at, nulKnownTo), or nullptr.
  const char* nulKnownTo = nullptr;  ///< Every NUL byte before this is known.
  bool final = true;                 ///< No text follows `end`.
  /// True once the whole text has been divided.
  bool done() const { return final && at >= end; }
};

/// A cursor at the start of `text`, which is the whole text when `final`.
ElementCursor startElements(std::string_view text, bool final = true);

/// Appends elements to `lines` until the chunk that holds the byte at `through` has been
/// appended, or the text held ends, or (while more text may follow) the next chunk is not yet
/// whole.
void divideElements(ElementCursor& cursor, const char* through, ElementList& lines);

/// Moves the cursor to `to`, a chunk boundary at or after it, without holding the elements
/// passed over; returns how many there were when `counted`, else 0.
std::size_t skipElements(ElementCursor& cursor, const char* to, bool counted);

/// The start of the chunk that holds the byte at `at` (at or after the cursor).
const char* chunkStart(const ElementCursor& cursor, const char* at);
