// Fast search for one term in a text, with or without ASCII case folding.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

/// A term prepared for repeated searches: it scans for two of the term's rarest bytes at 64 or
/// 128 positions at a time and verifies each place where both stand.
struct TermSearcher {
  std::string term;         ///< The term searched for, a copy of its own.
  bool ignoreCase = true;   ///< Fold a-z onto A-Z when comparing.
  std::size_t anchor1 = 0;  ///< Offset in the term of the first of its two rarest bytes.
  std::size_t anchor2 = 0;  ///< Offset of the other, after it (anchor1 for a 1-byte term).
  unsigned char byte1 = 0;  ///< The byte at anchor1, lower-cased when folding and a letter.
  unsigned char byte2 = 0;  ///< The byte at anchor2, likewise.
  unsigned char fold1 = 0;  ///< 0x20 when byte1 is a letter that is folded, else 0.
  unsigned char fold2 = 0;  ///< Likewise for byte2.
};

/// Prepares `term` for searching under the given case rule.
TermSearcher prepareTerm(std::string_view term, bool ignoreCase);

/// The offset of the leftmost occurrence of the searcher's term that lies wholly inside `text`,
/// or -1. An empty term is found at 0 without folding and never with it.
long long searchTerm(const TermSearcher& searcher, std::string_view text);

/// Looks for the searcher's term in raw file bytes. -1 means that the term does not occur and
/// that the bytes hold no carriage return and no 0x1A, so that their text-mode form holds no
/// occurrence either; any other result says only that the text must be looked at closely.
long long searchRawBytes(const TermSearcher& searcher, std::string_view bytes);
