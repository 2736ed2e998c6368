// Finding a term in a text under the case and whole-word rules of `Settings`.
#pragma once

#include <string_view>

/// The offset of the leftmost occurrence of `term` in `text` under `Settings.ignoreCase`, or -1.
long long findText(std::string_view text, std::string_view term);

/// True for the bytes that end a word: NUL, white space, ASCII punctuation and bytes >= 128.
bool isWordBoundary(unsigned char c);

/// The offset of the first occurrence of `term` in `text` that the whole-word rule accepts, or
/// -1. With `Settings.wholeWords` and `trimmed`, the text's first and last bytes are only
/// neighbours: the search covers the bytes between, and the offset counts from the second byte.
long long findTerm(std::string_view text, std::string_view term, bool trimmed);
