// The text-mode view of a file's bytes, and its division into the elements of `LineList`.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "files/element_list.h"

/// The longest element a line is held in; longer lines are held in several.
constexpr std::size_t kMaxElementLength = 999;

/// Turns raw file bytes into text in place: the text ends at the first byte 0x1A and every
/// carriage return is removed. Returns the length of the text.
std::size_t applyTextMode(char* bytes, std::size_t size);

/// Like `applyTextMode`, and also gives the text's first NUL byte (nullptr when none).
std::size_t prepareText(char* bytes, std::size_t size, const char** firstNul);

/// How far a text has been divided into elements.
struct ElementCursor {
  const char* at = nullptr;   ///< Where the next element's chunk begins.
  const char* end = nullptr;  ///< The end of the text.
  const char* nul = nullptr;  ///< The next NUL byte at or after `at`, or nullptr.
  /// True once the whole text has been divided.
  bool done() const { return at >= end; }
};

/// A cursor at the start of `text`.
ElementCursor startElements(std::string_view text);

/// A cursor at the start of `text`, whose first NUL byte is known to be `firstNul`.
ElementCursor startElements(std::string_view text, const char* firstNul);

/// Appends elements to `lines` until the chunk that holds the byte at `through` has been
/// appended (or the text ends): each chunk runs through the next line feed or for 999 bytes,
/// whichever comes first, and its element is the chunk cut short at its first NUL byte.
/// At least one element is appended when the text has any left.
void divideElements(ElementCursor& cursor, const char* through, ElementList& lines);

/// Appends all the elements of `text` to `lines`.
void splitIntoElements(std::string_view text, std::vector<std::string_view>& lines);
