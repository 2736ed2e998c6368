#include "files/line_list.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "files/text_mode.h"

ElementList LineList;

namespace {

// The text held: the bytes of the file's text from `textBase` on, then (between
// `readRawBlock` and `acceptBlock`) a block of raw bytes from `rawFrom` on.
ByteBuffer text;
TextOffset textBase = 0;
std::size_t rawFrom = 0;

// How far the text has been divided into elements.
ElementCursor cursor;

// The file the text comes from; null when the text is all held.
OpenFile* file = nullptr;

// The file has no more bytes to give (it ended, failed, or its text ended at a 0x1A).
bool ended = true;

// Bytes read at a time.
std::size_t blockSize = std::size_t{1} << 18;

// Line numbers: `numbered` when they are shown. Elements passed over by a skip are counted
// (`counting`) only once the file's first number has been asked for; until then they are only
// noted (`uncounted`), and that first number counts them by reading the file again from its
// start. `numberShift` is what an element's number is beyond its place in `LineList`.
bool numbered = true;
bool counting = false;
bool uncounted = false;
std::uint64_t numberShift = 0;
// How far a window reaches (see `setWindowReach`), and the first element that may still be a
// candidate.
std::size_t reachLines = 0;
std::size_t reachBytes = 0;
std::size_t scanFloor = 0;
TextOffset pendingSkip = 0;  // no occurrence starts before this
std::size_t reachHeld = 0;   // the bytes that the last skip kept for a window's sake

// Text beyond this many bytes is let go of, where nothing still needs it, before more is
// read; the buffer stays small enough for the processor's cache.
std::size_t softLimit() {
  // A wide window is walked back over at each skip: text is let go of only once there is
  // twice as much to let go of as a walk covers.
  return (std::size_t{1} << 20) + blockSize + 2 * reachHeld;
}

char* base() {
  return text.data.get();
}

// Points the cursor and the elements at the text's new place in memory.
void rebase(const char* from, char* to) {
  if (from == to) return;
  LineList.rebase(from, to);
  auto move = [&](const char*& p) {
    if (p != nullptr) p = to + (p - from);
  };
  move(cursor.at);
  move(cursor.end);
  move(cursor.nul);
  move(cursor.nulKnownTo);
}

// The first element that a window around the scan floor, or a later element, can reach.
std::size_t reachStart() {
  std::size_t floor = std::clamp(scanFloor, LineList.first(), LineList.size());
  std::size_t first = floor;
  if (reachLines > 0) {
    first = floor - std::min(floor - LineList.first(), reachLines);
  } else if (reachBytes > 0) {
    std::size_t held = 0;
    while (held < reachBytes && first > LineList.first()) held += LineList[--first].size();
  }
  return first;
}

// Moves the cursor on to where `skipTo` allows: the elements that no window around a later
// candidate can reach are passed over, counted only where numbers are counted. Done when
// the cursor is next needed, so that a wide window is walked back over once per block.
void applySkip() {
  if (pendingSkip <= offsetOf(cursor.at)) return;
  const char* to = std::min<const char*>(base() + (pendingSkip - textBase), cursor.end);
  // The first chunk that a window around a candidate at `to` or later can reach.
  const char* from = chunkStart(cursor, to);
  if (reachLines > 0) {
    for (std::size_t n = 0; n < reachLines && from > cursor.at; ++n) {
      from = chunkStart(cursor, from - 1);
    }
  } else if (reachBytes > 0) {
    const char* chunk = from;
    for (std::size_t held = 0; held < reachBytes && from > cursor.at;) {
      const char* previous = chunkStart(cursor, from - 1);
      held += static_cast<std::size_t>(from - previous);
      from = previous;
    }
    // A NUL makes elements shorter than their chunks: they may not reach far enough.
    if (std::memchr(from, '\0', static_cast<std::size_t>(chunk - from)) != nullptr) return;
  }
  reachHeld = static_cast<std::size_t>(to - from);
  if (from <= cursor.at) return;
  std::size_t passed = skipElements(cursor, from, counting);
  uncounted = uncounted || !counting;
  LineList.dropBefore(LineList.size() + passed);
  scanFloor = LineList.size();
}

// Lets go of the text and the elements that nothing needs any more, where that frees enough
// to be worth moving the rest; then makes room for `wanted` more bytes.
void makeRoom(std::size_t wanted) {
  if (text.size + wanted > softLimit()) {
    applySkip();
    std::size_t first = reachStart();
    const char* keep = cursor.at;
    if (first < LineList.size()) keep = std::min(keep, LineList[first].data());
    std::size_t shift = static_cast<std::size_t>(keep - base());
    if (shift > 0 && shift >= text.size / 2) {
      LineList.dropBefore(first);
      std::memmove(base(), keep, text.size - shift);
      text.size -= shift;
      textBase += shift;
      rebase(keep, base());
      if (cursor.nulKnownTo < base()) cursor.nulKnownTo = base();
    }
  }
  if (text.size + wanted > text.capacity) {
    const char* old = base();
    reserveBytes(text, text.size + wanted);
    rebase(old, base());
  }
}

// Reads one more block as text; false when the file has no more.
bool readMoreText() {
  if (readRawBlock(heldEnd()).empty()) return false;
  acceptBlock(false);
  return true;
}

// Starts an empty text for `from`.
void startText(OpenFile* from) {
  LineList.clear();
  text.size = 0;
  textBase = 0;
  rawFrom = 0;
  scanFloor = 0;
  counting = false;
  uncounted = false;
  numberShift = 0;
  pendingSkip = 0;
  reachHeld = 0;
  file = from;
  ended = from == nullptr;
  reserveBytes(text, 1);
  cursor = startElements(std::string_view(base(), 0), ended);
}

// The number of elements in the file's text before `end`, a chunk boundary, counted by
// reading the file again from its start.
std::uint64_t countFromStart(TextOffset end) {
  ElementCount count;
  std::unique_ptr<char[]> block(new char[blockSize]);
  TextOffset counted = 0;
  long long at = 0;
  while (counted < end) {
    long long got = readBytesAt(*file, at, block.get(), blockSize);
    if (got <= 0) break;
    at += got;
    TextBlock made = applyTextMode(block.get(), static_cast<std::size_t>(got));
    std::size_t taken = static_cast<std::size_t>(std::min<TextOffset>(made.size, end - counted));
    countElements(count, std::string_view(block.get(), taken));
    counted += taken;
    if (made.ended) break;
  }
  return count.total();
}

}  // namespace

void setReadBlockSize(std::size_t bytes) {
  blockSize = bytes > 0 ? bytes : 1;
}

void setNumbering(bool exact) {
  numbered = exact;
}

void setWindowReach(std::size_t lines, std::size_t bytes) {
  reachLines = lines;
  reachBytes = bytes;
}

void startLines(OpenFile& from, bool plainAhead) {
  startText(&from);
  if (from.ahead.empty() && !from.aheadIsWhole) return;
  reserveBytes(text, from.ahead.size());
  startText(&from);
  std::memcpy(base(), from.ahead.data(), from.ahead.size());
  text.size = from.ahead.size();
  acceptBlock(plainAhead);
  if (from.aheadIsWhole) {
    ended = true;
    cursor.final = true;
  }
}

bool restartLines() {
  OpenFile* from = file;
  if (from == nullptr || !rewindFile(*from)) return false;
  startText(from);
  return true;
}

bool haveElement(std::size_t index) {
  if (index < LineList.size()) return true;
  applySkip();
  while (index >= LineList.size()) {
    if (LineList.full()) LineList.dropBefore(reachStart());
    std::size_t before = LineList.size();
    divideElements(cursor, cursor.at, LineList);
    if (LineList.size() > before) continue;
    if (cursor.done()) return false;
    readMoreText();
  }
  return true;
}

std::size_t elementHolding(TextOffset at) {
  applySkip();
  for (;;) {
    const char* place = base() + (at - textBase);
    if (place < cursor.at || cursor.done()) break;
    if (LineList.full()) LineList.dropBefore(reachStart());
    divideElements(cursor, place, LineList);
    if (place < cursor.at) break;
    readMoreText();
  }
  const char* place = base() + (at - textBase);
  auto later =
      std::upper_bound(LineList.begin(), LineList.end(), place,
                       [](const char* p, std::string_view line) { return p < line.data(); });
  return LineList.first() + static_cast<std::size_t>(later - LineList.begin()) - 1;
}

void setScanFloor(std::size_t index) {
  scanFloor = index;
}

void skipTo(TextOffset at) {
  pendingSkip = std::max(pendingSkip, at);
}

std::uint64_t lineNumberOf(std::size_t index) {
  if (numbered && !counting) {
    // The first number shown: the elements passed over so far are counted now, and those
    // passed over from now on as they go by.
    counting = true;
    if (uncounted && file != nullptr) {
      numberShift = countFromStart(offsetOf(LineList[index].data())) - index;
    }
  }
  return index + numberShift + 1;
}

TextOffset offsetOf(const char* at) {
  return textBase + static_cast<TextOffset>(at - base());
}

std::string_view heldText(TextOffset from) {
  const char* start = base() + (from - textBase);
  return std::string_view(start, static_cast<std::size_t>(cursor.end - start));
}

TextOffset heldEnd() {
  return offsetOf(cursor.end);
}

std::string_view readRawBlock(TextOffset from) {
  rawFrom = text.size;
  if (ended) return std::string_view();
  makeRoom(blockSize);
  rawFrom = text.size;
  long long got = readSomeBytes(*file, base() + text.size, blockSize);
  if (got <= 0) {
    // Only a read of nothing, or a failed one, ends the file.
    ended = true;
    cursor.final = true;
    return std::string_view();
  }
  text.size += static_cast<std::size_t>(got);
  const char* start = base() + (from - textBase);
  return std::string_view(start, static_cast<std::size_t>(base() + text.size - start));
}

void acceptBlock(bool plain) {
  char* block = base() + rawFrom;
  if (!plain) {
    TextBlock made = applyTextMode(block, text.size - rawFrom);
    text.size = rawFrom + made.size;
    if (cursor.nul == nullptr && cursor.nulKnownTo == block) {
      cursor.nul = made.firstNul;
      cursor.nulKnownTo = block + made.size;
    }
    if (made.ended) {
      ended = true;
      cursor.final = true;
    }
  }
  cursor.end = base() + text.size;
  rawFrom = text.size;
}

void loadLines(std::string_view bytes) {
  reserveBytes(text, bytes.size());
  startText(nullptr);
  if (!bytes.empty()) std::memcpy(base(), bytes.data(), bytes.size());
  text.size = bytes.size();
  acceptBlock(false);
  divideElements(cursor, cursor.end, LineList);
}

void resetLines() {
  LineList.release();
  text = ByteBuffer();
  cursor = ElementCursor();
  file = nullptr;
  ended = true;
  textBase = 0;
  rawFrom = 0;
  scanFloor = 0;
}
