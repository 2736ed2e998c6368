#include "expr/term_occurrences.h"

#include <algorithm>

#include "expr/term_match.h"

namespace {

// The byte at `at` of the stretch, which `text` holds.
unsigned char byteAt(const StretchText& text, StretchOffset at) {
  return static_cast<unsigned char>(text.bytes[static_cast<std::size_t>(at - text.from)]);
}

}  // namespace

TermOccurrences::TermOccurrences(const TermSearcher& searcher, bool wholeWords)
    : searcher_(&searcher), wholeWords_(wholeWords) {}

void TermOccurrences::restart() {
  found_.clear();
  next_ = 0;
  low_ = 0;
}

void TermOccurrences::release() {
  restart();
  found_.release();
}

void TermOccurrences::dropBefore(StretchOffset at) {
  low_ = std::max(low_, at);
  std::size_t gone = 0;
  while (gone < found_.size() && found_[gone] < low_) ++gone;
  found_.drop(gone);
}

// Finds occurrences, from the first start not yet tried, until one that counts starts at
// `from` or later (true) or none is left that starts at `lastStart` or before (false). The text
// must hold them, and with whole words the byte after each.
bool TermOccurrences::findFrom(const StretchText& text, StretchOffset from,
                               StretchOffset lastStart) {
  const std::size_t length = searcher_->term.size();
  next_ = std::max({next_, low_, text.from});
  while (next_ <= lastStart) {
    std::size_t at = static_cast<std::size_t>(next_ - text.from);
    std::size_t stop = static_cast<std::size_t>(lastStart - text.from) + length;
    long long r = searchTerm(*searcher_, text.bytes.substr(at, stop - at));
    if (r < 0) {
      next_ = lastStart + 1;
      return false;
    }
    StretchOffset p = next_ + static_cast<StretchOffset>(r);
    next_ = p + 1;
    // A word's neighbours are the stretch's bytes; before the first one held there is none to
    // tell, and only a window that begins there can take the occurrence, as its edge.
    if (wholeWords_ && !(p > text.from && isWordBoundary(byteAt(text, p - 1)) &&
                         isWordBoundary(byteAt(text, p + length)))) {
      continue;
    }
    found_.push_back(p);
    if (p >= from) return true;
  }
  return false;
}

// True when the term stands at `at` in the text, which holds it.
bool TermOccurrences::startsAt(const StretchText& text, StretchOffset at) const {
  std::size_t length = searcher_->term.size();
  return searchTerm(*searcher_,
                    text.bytes.substr(static_cast<std::size_t>(at - text.from), length)) == 0;
}

bool TermOccurrences::within(const StretchText& text, StretchOffset from, StretchOffset to,
                             bool trimmed) {
  const StretchOffset length = searcher_->term.size();
  if (wholeWords_ && trimmed) {
    // Only what lies between the first and the last byte, with both neighbours in the window.
    if (to - from < length + 2) return false;
    from += 1;
    to -= 1;
  } else if (to - from < length) {
    return false;
  } else if (wholeWords_) {
    // The window's edges stand in for boundaries: an occurrence that touches one is told here.
    StretchOffset last = to - length;
    if (startsAt(text, from) && (from == last || isWordBoundary(byteAt(text, from + length)))) {
      return true;
    }
    if (startsAt(text, last) && (from == last || isWordBoundary(byteAt(text, last - 1)))) {
      return true;
    }
    // Any other must end before the window does.
    if (to - from == length) return false;
    to -= 1;
  }
  // Every occurrence before the first start not yet tried is known: the first one known from
  // `from` on is the first there is.
  const StretchOffset* first = std::lower_bound(found_.begin(), found_.end(), from);
  if (first != found_.end()) return *first + length <= to;
  return findFrom(text, from, to - length);
}
