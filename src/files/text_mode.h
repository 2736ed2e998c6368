// The text-mode view of a file's bytes, and its division into the elements of `LineList`.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "files/element_list.h"

/// The longest element a line is held in; longer lines are held in several.
constexpr std::size_t kMaxElementLength = 999;

/// What text mode made of a block of raw bytes.
struct TextBlock {
  std::size_t size = 0;            ///< The length of the block's text.
  const char* firstNul = nullptr;  ///< The text's first NUL byte, or nullptr.
  bool ended = false;              ///< The block held a byte 0x1A: the file's text ends with it.
};

/// Turns raw file bytes into text in place: the text ends at the first byte 0x1A and every
/// carriage return is removed.
TextBlock applyTextMode(char* bytes, std::size_t size);

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
/// whole: each chunk runs through the next line feed or for 999 bytes, whichever comes first,
/// and its element is the chunk cut short at its first NUL byte.
void divideElements(ElementCursor& cursor, const char* through, ElementList& lines);

/// The elements of a text that is counted piece by piece, from a chunk boundary on.
struct ElementCount {
  std::uint64_t elements = 0;    ///< Elements that a line feed ended.
  std::uint64_t lineLength = 0;  ///< Bytes of the line that goes on at the end.
  /// The elements counted when the text counted ends at a chunk boundary.
  std::uint64_t total() const { return elements + lineLength / kMaxElementLength; }
};

/// Counts the elements of `text`, which goes on from the text counted in `count`.
void countElements(ElementCount& count, std::string_view text);

/// Moves the cursor to `to`, a chunk boundary at or after it, without holding the elements
/// passed over; returns how many there were when `counted`, else 0.
std::size_t skipElements(ElementCursor& cursor, const char* to, bool counted);

/// The start of the chunk that holds the byte at `at` (at or after the cursor).
const char* chunkStart(const ElementCursor& cursor, const char* at);
