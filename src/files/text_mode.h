// The text-mode view of a file's bytes, and its division into the elements of `LineList`.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

/// The longest element a line is held in; longer lines are held in several.
constexpr std::size_t kMaxElementLength = 999;

/// Turns raw file bytes into text in place: the text ends at the first byte 0x1A and every
/// carriage return is removed. Returns the length of the text.
std::size_t applyTextMode(char* bytes, std::size_t size);

/// Appends the elements of `text` to `lines`: each runs through the next line feed or for 999
/// bytes, whichever comes first, and is cut short at its first NUL byte.
void splitIntoElements(std::string_view text, std::vector<std::string_view>& lines);
