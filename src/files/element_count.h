// Counting the elements of text that is passed over rather than held.
#pragma once

#include <cstdint>
#include <string_view>

#include "files/element_list.h"

/// The elements of a text that is counted one stretch after another, from a chunk boundary on.
struct ElementCount {
  std::uint64_t elements = 0;    ///< Elements that a line feed ended.
  std::uint64_t lineLength = 0;  ///< Bytes of the line that goes on at the end.
  /// The elements counted when the text counted ends at a chunk boundary.
  std::uint64_t total() const { return elements + lineLength / kMaxElementLength; }
};

/// Counts the elements of `text`, which goes on from the text counted in `count`.
void countElements(ElementCount& count, std::string_view text);
