// The ASCII character classes skern uses, the same on every host and in every locale.
#pragma once

/// True for the white space of the C locale: space, tab, line feed, vertical tab, form feed and
/// carriage return.
inline bool isAsciiSpace(unsigned char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

/// True for the ASCII letters a-z and A-Z.
inline bool isAsciiLetter(unsigned char c) {
  return (c | 0x20) >= 'a' && (c | 0x20) <= 'z';
}

/// `c` with a-z folded onto A-Z; every other byte as it is.
inline unsigned char foldedAscii(unsigned char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 32) : c;
}
