// Term matching done the slow, obvious way: an offset-by-offset scan.
#pragma once

#include <string>

namespace reference {

/// The offset of the leftmost occurrence of `term` in `text` (both read up to their first NUL)
/// under the case rule, or -1; an empty term is never found while folding, and is found at 0
/// otherwise.
long long findText(const std::string& text, const std::string& term, bool ignoreCase);

/// True for NUL, the six white-space bytes, ASCII punctuation and every byte from 128 up.
bool isWordBoundary(unsigned char c);

/// The offset of the first occurrence of `term` in `text` that the whole-word rule accepts, or
/// -1; with whole words and `trimmed` the first and last bytes are neighbours only, and the
/// offset counts from the second byte.
long long findTerm(const std::string& text, const std::string& term, bool trimmed, bool ignoreCase,
                   bool wholeWords);

}  // namespace reference
