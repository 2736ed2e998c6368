#include "files/line_list.h"

#include <algorithm>

// Text beyond this many bytes is let go of, where nothing still needs it, before more is
// read; the buffer stays small enough for the processor's cache.
std::size_t LineList::softLimit() const {
  // A wide window is walked back over at each skip: text is let go of only once there is
  // twice as much to let go of as a walk covers.
  return (std::size_t{1} << 20) + text_.blockSize() + 2 * reachHeld_;
}

// Points the cursor and the elements at the text's new place in memory.
void LineList::rebase(const char* from, const char* to) {
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
  return firstReachableElement(elements_, scanFloor_, reach_);
}

// Moves the cursor on to where `skipTo` allows: the elements that no window around a later
// candidate can reach are passed over, counted only where numbers are counted. Done when
// the cursor is next needed, so that a wide window is walked back over once per block.
void LineList::applySkip() {
  if (pendingSkip_ <= offsetOf(cursor_.at)) return;
  const char* to = std::min(text_.place(pendingSkip_), cursor_.end);
  const char* from = firstReachableChunk(cursor_, to, reach_);
  if (from == nullptr) return;
  reachHeld_ = static_cast<std::size_t>(to - from);
  if (from <= cursor_.at) return;
  std::size_t passed = skipElements(cursor_, from, numbered_);
  elements_.dropBefore(elements_.size() + passed);
  scanFloor_ = elements_.size();
}

// Lets go of the text and the elements that nothing needs any more, when `wanted` more bytes
// would take the buffer beyond its soft limit and that frees enough to be worth moving the
// rest.
void LineList::letGo(std::size_t wanted) {
  // Text that lies in the mapping is let go of at once: that moves nothing.
  if (text_.size() + wanted <= softLimit() && !text_.mapped()) return;
  applySkip();
  std::size_t first = reachStart();
  const char* keep = cursor_.at;
  if (first < elements_.size()) keep = std::min(keep, elements_[first].data());
  if (!text_.dropBefore(keep)) return;
  elements_.dropBefore(first);
  rebase(keep, text_.begin());
  if (cursor_.nulKnownTo < text_.begin()) cursor_.nulKnownTo = text_.begin();
}

// Copies the text out of the mapping, keeping only what is still needed.
void LineList::leaveMapping() {
  letGo(0);
  const char* old = text_.begin();
  text_.leaveMapping();
  rebase(old, text_.begin());
  if (text_.takeLoss()) fitToText();
}

// After the block just read was given up where the file lost bytes: no skip reaches into
// it, since it is read again.
void LineList::fitToText() {
  pendingSkip_ = std::min(pendingSkip_, heldEnd());
}

// Reads one more block as text; false when the file has no more.
bool LineList::readMoreText() {
  if (readRawBlock(heldEnd()).empty()) return false;
  acceptBlock(false);
  return true;
}

// Starts dividing the text anew from the buffer's start.
void LineList::startText() {
  elements_.clear();
  scanFloor_ = 0;
  pendingSkip_ = 0;
  reachHeld_ = 0;
  cursor_ = startElements(std::string_view(text_.begin(), 0), text_.ended());
}

void LineList::startLines(PieceReader& from, bool plainReady) {
  bool ready = text_.start(&from, true);
  startText();
  if (ready) acceptBlock(plainReady);
}

bool LineList::restartLines() {
  if (!text_.restart()) return false;
  startText();
  return true;
}

TextOffset LineList::pieceStart() {
  while (!text_.pieceStartKnown() && !text_.ended()) readMoreText();
  return text_.pieceStart();
}

TextOffset LineList::pieceEnd() {
  while (text_.pieceEnd() == UINT64_MAX && !text_.ended()) {
    skipTo(heldEnd());
    readMoreText();
  }
  return text_.pieceEnd() != UINT64_MAX ? text_.pieceEnd() : heldEnd();
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
  if (text_.mapped()) leaveMapping();
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
  if (text_.mapped()) leaveMapping();
  applySkip();
  for (;;) {
    const char* place = text_.place(at);
    if (place < cursor_.at || cursor_.done()) break;
    if (elements_.full()) elements_.dropBefore(reachStart());
    divideElements(cursor_, place, elements_);
    if (place < cursor_.at) break;
    readMoreText();
  }
  const char* place = text_.place(at);
  auto later =
      std::upper_bound(elements_.begin(), elements_.end(), place,
                       [](const char* p, std::string_view line) { return p < line.data(); });
  return elements_.first() + static_cast<std::size_t>(later - elements_.begin()) - 1;
}

void LineList::skipTo(TextOffset at) {
  // Nothing after the piece's end is a candidate, and its elements are counted up to there.
  pendingSkip_ = std::max(pendingSkip_, std::min(at, text_.pieceEnd()));
}

std::string_view LineList::heldText(TextOffset from) const {
  const char* start = text_.place(from);
  return std::string_view(start, static_cast<std::size_t>(cursor_.end - start));
}

std::string_view LineList::readRawBlock(TextOffset from, bool mayMap) {
  // What was read is counted before the text may come to lie in the mapping, where the file
  // can take its bytes away.
  if (mayMap && !text_.mapped()) applySkip();
  if (!text_.ended()) letGo(text_.blockSize());
  const char* old = text_.begin();
  std::string_view block = text_.readRawBlock(from, mayMap);
  rebase(old, text_.begin());
  if (text_.takeLoss()) fitToText();
  if (text_.ended()) cursor_.final = true;
  return block;
}

bool LineList::acceptBlock(bool plain) {
  // Only what a window can still reach is copied out of the mapping with the block.
  if (!plain && text_.mapped()) letGo(0);
  const char* old = text_.begin();
  const std::size_t blockAt = static_cast<std::size_t>(text_.rawBlock() - old);
  TextBlock made = text_.acceptBlock(plain);
  rebase(old, text_.begin());
  const bool lost = text_.takeLoss();
  const char* block = text_.begin() + blockAt;
  if (lost) {
    fitToText();
  } else if (!plain && cursor_.nul == nullptr && cursor_.nulKnownTo == block) {
    cursor_.nul = made.firstNul;
    cursor_.nulKnownTo = block + made.size;
  }
  if (text_.ended()) cursor_.final = true;
  cursor_.end = text_.begin() + text_.size();
  return !lost;
}

void LineList::release() {
  elements_.release();
  text_.release();
  cursor_ = ElementCursor();
  scanFloor_ = 0;
}
