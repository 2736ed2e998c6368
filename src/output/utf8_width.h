// How many terminal columns the characters of a UTF-8 text take.
#pragma once

#include <cstddef>
#include <string_view>

/// The columns code point `c` takes on a terminal: 0 for a combining mark or a zero-width
/// format character, 2 for an East Asian wide or fullwidth character, 1 for every other.
int codePointColumns(char32_t c);

/// The length of the well-formed UTF-8 sequence at the start of `text` (its code point in
/// `c`), or 0 where none starts there: a stray or cut sequence, an overlong form, a surrogate,
/// or a value beyond U+10FFFF.
std::size_t decodeUtf8(std::string_view text, char32_t& c);

/// True when `text` holds a byte above 127 and is well-formed UTF-8 throughout, so that its
/// columns are counted by character rather than by byte.
bool isMultibyteUtf8(std::string_view text);
