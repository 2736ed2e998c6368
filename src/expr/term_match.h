// Finding a term in a text under the case and whole-word rules.
#pragma once

#include <string_view>

#include "expr/term_search.h"

/// True for the bytes that end a word: NUL, white space, ASCII punctuation and bytes >= 128.
bool isWordBoundary(unsigned char c);

/// The offset of the first occurrence of the searcher's term in `text` that the whole-word
/// rule accepts, or -1. With `wholeWords` and `trimmed`, the text's first and last bytes are
/// only neighbours: the search covers the bytes between, and the offset counts from the
/// second byte. Occurrences that start before `from` are not looked at.
long long findTerm(const TermSearcher& searcher, std::string_view text, bool wholeWords,
                   bool trimmed, std::size_t from = 0);
