// The occurrences of one further term in a stretch of text that grows at its end, each found
// once, so that a window of the stretch is asked about them without being searched again.
#pragma once

#include <cstdint>
#include <string_view>

#include "expr/offset_queue.h"
#include "expr/term_search.h"

/// A place in a stretch of text, counted in bytes from the stretch's start.
using StretchOffset = std::uint64_t;

/// The bytes of a stretch from `from` on, as far as they are held.
struct StretchText {
  std::string_view bytes;  ///< The bytes held.
  StretchOffset from = 0;  ///< Where the first of them stands in the stretch.
};

/// One term's occurrences in a stretch, found as far as windows have needed them. With
/// whole words only those with a boundary on both sides in the stretch are kept: one at a
/// window's edge, where the edge stands in for the boundary, is told from the text itself.
class TermOccurrences {
 public:
  /// Occurrences of `searcher`'s term, which must not be empty; the searcher must outlive this.
  TermOccurrences(const TermSearcher& searcher, bool wholeWords);

  /// Forgets every occurrence: the next stretch begins.
  void restart();
  /// Forgets every occurrence and gives the memory back.
  void release();

  /// Says that no window begins before `at`: the occurrences before it are let go of.
  void dropBefore(StretchOffset at);

  /// True when an occurrence lies wholly in the window [from, to) of `text`, which must hold
  /// it, under the whole-word rule: with `trimmed`, its first and last bytes are only
  /// neighbours; without, its edges count as boundaries.
  bool within(const StretchText& text, StretchOffset from, StretchOffset to, bool trimmed);

 private:
  bool findFrom(const StretchText& text, StretchOffset from, StretchOffset lastStart);
  bool startsAt(const StretchText& text, StretchOffset at) const;

  const TermSearcher* searcher_;
  bool wholeWords_;
  OffsetQueue found_;       // in order: every occurrence, or only the whole words
  StretchOffset next_ = 0;  // the first start not yet tried
  StretchOffset low_ = 0;   // no window begins before this
};
