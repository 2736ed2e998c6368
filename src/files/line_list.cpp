#include "files/line_list.h"

#include <algorithm>
#include <cstring>

#include "files/text_mode.h"

// Text beyond this many bytes is let go of, where nothing still needs it, before more is
// read; the buffer stays small enough for the processor's cache.
std::size_t LineList::softLimit() const {
  // A wide window is walked back over at each skip: text is let go of only once there is
  // twice as much to let go of as a walk covers.
  return (std::size_t{1} << 20) + blockSize_ + 2 * reachHeld_;
}

// Points the cursor and the elements at the text's new place in memory.
void LineList::rebase(const char* from, char* to) {
  if (from == to) return;
  elements_.rebase(from, to);
  auto move = [&](const char*& p) {
    if (p != nullptr) p = to + (p - from);
  };
  move(cursor_.at);
  move(cursor_.end);
  move(cursor_.nul);
  move(cursor_.nulKnownTo);
}

// The first element that a window around the scan floor, or a later element, can reach.
std::size_t LineList::reachStart() const {
  std::size_t floor = std::clamp(scanFloor_, elements_.first(), elements_.size());
  std::size_t first = floor;
  if (reachLines_ > 0) {
    first = floor - std::min(floor - elements_.first(), reachLines_);
  } else if (reachBytes_ > 0) {
    std::size_t held = 0;
    while (held < reachBytes_ && first > elements_.first()) held += elements_[--first].size();
  }
  return first;
}

// Moves the cursor on to where `skipTo` allows: the elements that no window around a later
// candidate can reach are passed over, counted only where numbers are counted. Done when
// the cursor is next needed, so that a wide window is walked back over once per block.
void LineList::applySkip() {
  if (pendingSkip_ <= offsetOf(cursor_.at)) return;
  const char* to = std::min<const char*>(base() + (pendingSkip_ - textBase_), cursor_.end);
  // The first chunk that a window around a candidate at `to` or later can reach.
  const char* from = chunkStart(cursor_, to);
  if (reachLines_ > 0) {
    for (std::size_t n = 0; n < reachLines_ && from > cursor_.at; ++n) {
      from = chunkStart(cursor_, from - 1);
    }
  } else if (reachBytes_ > 0) {
    const char* chunk = from;
    for (std::size_t held = 0; held < reachBytes_ && from > cursor_.at;) {
      const char* previous = chunkStart(cursor_, from - 1);
      held += static_cast<std::size_t>(from - previous);
      from = previous;
    }
    // A NUL makes elements shorter than their chunks: they may not reach far enough.
    if (std::memchr(from, '\0', static_cast<std::size_t>(chunk - from)) != nullptr) return;
  }
  reachHeld_ = static_cast<std::size_t>(to - from);
  if (from <= cursor_.at) return;
  std::size_t passed = skipElements(cursor_, from, numbered_);
  elements_.dropBefore(elements_.size() + passed);
  scanFloor_ = elements_.size();
}

// Lets go of the text and the elements that nothing needs any more, where that frees enough
// to be worth moving the rest; then makes room for `wanted` more bytes.
void LineList::makeRoom(std::size_t wanted) {
  if (text_.size + wanted > softLimit()) {
    applySkip();
    std::size_t first = reachStart();
    const char* keep = cursor_.at;
    if (first < elements_.size()) keep = std::min(keep, elements_[first].data());
    std::size_t shift = static_cast<std::size_t>(keep - base());
    if (shift > 0 && shift >= text_.size / 2) {
      elements_.dropBefore(first);
      std::memmove(base(), keep, text_.size - shift);
      text_.size -= shift;
      textBase_ += shift;
      rebase(keep, base());
      if (cursor_.nulKnownTo < base()) cursor_.nulKnownTo = base();
    }
  }
  if (text_.size + wanted > text_.capacity) {
    const char* old = base();
    reserveBytes(text_, text_.size + wanted);
    rebase(old, base());
  }
}

// Reads one more block as text; false when the file has no more.
bool LineList::readMoreText() {
  if (readRawBlock(heldEnd()).empty()) return false;
  acceptBlock(false);
  return true;
}

// Starts an empty text for `from`.
void LineList::startText(PieceReader* from) {
  elements_.clear();
  text_.size = 0;
  textBase_ = 0;
  rawFrom_ = 0;
  scanFloor_ = 0;
  pendingSkip_ = 0;
  reachHeld_ = 0;
  reader_ = from;
  ended_ = from == nullptr;
  pieceStart_ = 0;
  pieceEnd_ = UINT64_MAX;
  startKnown_ = from == nullptr || from->startsAtPiece();
  endedInPiece_ = false;
  blockStartsPiece_ = false;
  blockEndsPiece_ = false;
  reserveBytes(text_, 1);
  cursor_ = startElements(std::string_view(base(), 0), ended_);
}

void LineList::setReadBlockSize(std::size_t bytes) {
  blockSize_ = bytes > 0 ? bytes : 1;
}

void LineList::setWindowReach(std::size_t lines, std::size_t bytes) {
  reachLines_ = lines;
  reachBytes_ = bytes;
}

void LineList::startLines(PieceReader& from, bool plainReady) {
  text_.size = 0;
  std::size_t ready = from.readyBytes();
  reserveBytes(text_, ready);
  startText(&from);
  if (ready == 0) return;
  rawFrom_ = 0;
  long long got = from.read(base(), ready);
  if (got <= 0) return;
  text_.size = static_cast<std::size_t>(got);
  notePieceBounds();
  acceptBlock(plainReady);
}

bool LineList::restartLines() {
  PieceReader* from = reader_;
  if (from == nullptr || !from->rewind()) return false;
  startText(from);
  return true;
}

TextOffset LineList::pieceStart() {
  while (!startKnown_ && !ended_) readMoreText();
  if (!startKnown_) pieceStart_ = heldEnd();  // the text ended before the piece
  startKnown_ = true;
  return pieceStart_;
}

TextOffset LineList::pieceEnd() {
  while (pieceEnd_ == UINT64_MAX && !ended_) {
    skipTo(heldEnd());
    readMoreText();
  }
  return pieceEnd_ != UINT64_MAX ? pieceEnd_ : heldEnd();
}

std::size_t LineList::elementsBefore(TextOffset at) {
  skipTo(at);
  if (at < heldEnd() || !cursor_.done()) {
    std::size_t index = elementHolding(at);
    if (index >= elements_.first() && index < elements_.size() &&
        offsetOf(elements_[index].data()) == at) {
      return index;
    }
  }
  // `at` is the end of the text: every element lies before it.
  while (haveElement(elements_.size())) {
  }
  return elements_.size();
}

bool LineList::haveElement(std::size_t index) {
  if (index < elements_.size()) return true;
  applySkip();
  while (index >= elements_.size()) {
    if (elements_.full()) elements_.dropBefore(reachStart());
    std::size_t before = elements_.size();
    divideElements(cursor_, cursor_.at, elements_);
    if (elements_.size() > before) continue;
    if (cursor_.done()) return false;
    readMoreText();
  }
  return true;
}

std::size_t LineList::elementHolding(TextOffset at) {
  applySkip();
  for (;;) {
    const char* place = base() + (at - textBase_);
    if (place < cursor_.at || cursor_.done()) break;
    if (elements_.full()) elements_.dropBefore(reachStart());
    divideElements(cursor_, place, elements_);
    if (place < cursor_.at) break;
    readMoreText();
  }
  const char* place = base() + (at - textBase_);
  auto later =
      std::upper_bound(elements_.begin(), elements_.end(), place,
                       [](const char* p, std::string_view line) { return p < line.data(); });
  return elements_.first() + static_cast<std::size_t>(later - elements_.begin()) - 1;
}

void LineList::skipTo(TextOffset at) {
  // Nothing after the piece's end is a candidate, and its elements are counted up to there.
  pendingSkip_ = std::max(pendingSkip_, std::min(at, pieceEnd_));
}

TextOffset LineList::offsetOf(const char* at) const {
  return textBase_ + static_cast<TextOffset>(at - base());
}

std::string_view LineList::heldText(TextOffset from) const {
  const char* start = base() + (from - textBase_);
  return std::string_view(start, static_cast<std::size_t>(cursor_.end - start));
}

std::string_view LineList::readRawBlock(TextOffset from) {
  rawFrom_ = text_.size;
  if (ended_) return std::string_view();
  makeRoom(blockSize_);
  rawFrom_ = text_.size;
  long long got = reader_->read(base() + text_.size, blockSize_);
  if (got <= 0) {
    // Only a read of nothing, or a failed one, ends the file.
    ended_ = true;
    cursor_.final = true;
    return std::string_view();
  }
  text_.size += static_cast<std::size_t>(got);
  notePieceBounds();
  const char* start = base() + (from - textBase_);
  return std::string_view(start, static_cast<std::size_t>(base() + text_.size - start));
}

void LineList::acceptBlock(bool plain) {
  char* block = base() + rawFrom_;
  if (!plain) {
    TextBlock made = applyTextMode(block, text_.size - rawFrom_);
    text_.size = rawFrom_ + made.size;
    if (cursor_.nul == nullptr && cursor_.nulKnownTo == block) {
      cursor_.nul = made.firstNul;
      cursor_.nulKnownTo = block + made.size;
    }
    if (made.ended) {
      ended_ = true;
      cursor_.final = true;
      if (pieceEnd_ == UINT64_MAX) endedInPiece_ = true;
    }
  }
  cursor_.end = base() + text_.size;
  rawFrom_ = text_.size;
  if (blockStartsPiece_) {
    pieceStart_ = heldEnd();
    startKnown_ = true;
  }
  if (blockEndsPiece_ && !endedInPiece_) pieceEnd_ = heldEnd();
  blockStartsPiece_ = false;
  blockEndsPiece_ = false;
}

// Notes whether the block just read ends where the piece begins or ends.
void LineList::notePieceBounds() {
  blockStartsPiece_ = reader_->reachedStart();
  blockEndsPiece_ = reader_->reachedEnd();
}

void LineList::release() {
  elements_.release();
  text_ = ByteBuffer();
  cursor_ = ElementCursor();
  reader_ = nullptr;
  ended_ = true;
  textBase_ = 0;
  rawFrom_ = 0;
  scanFloor_ = 0;
}
