// What the output of one file's pieces passes on from piece to piece.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

/// One file as its output shows it. A file searched whole has one; the pieces of a big file
/// share one. Only the output whose turn it is reads or changes it.
struct FileTally {
  /// The path as the walk made it; it lives while the file is scanned, and the full path is
  /// formed from it before then where it is needed later.
  std::string_view path;
  /// The full path shown in the header and in messages (formed by `fullPath()`).
  std::string full;
  /// Elements in the pieces written so far: the next piece's first line number less one.
  std::uint64_t elementsBefore = 0;
  /// The header has been written.
  bool headerShown = false;
  /// The text ended (a 0x1A) or the file was given up: later pieces show nothing.
  bool ended = false;

  /// The full path, formed when first asked for.
  const std::string& fullPath();
};
