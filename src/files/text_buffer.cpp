#include "files/text_buffer.h"

#include <cstring>

namespace {

// The system copies a block from its file cache fastest when the block's place in memory
// lies as far into a 64-byte line as its place in the file: some processors copy four times
// slower when the two lie 1 to 31 bytes apart within a page.
constexpr std::size_t kReadAlignment = 64;

// Held text at most this long is moved before a read to bring the read's place into line,
// where the text's own length (carriage returns taken out) put it out of line: a move of
// more would cost more than the slower copy.
constexpr std::size_t kMostMovedToAlign = std::size_t{32} << 10;

}  // namespace

// The lead that puts the byte after `held` bytes of text in line with the reader's next
// read (the buffer itself starts on a page).
std::size_t TextBuffer::leadFor(std::size_t held) const {
  if (reader_ == nullptr) return 0;
  return static_cast<std::size_t>((reader_->position() - held) % kReadAlignment);
}

// Moves the bytes held from `from` on to the buffer's start, behind the lead that puts the
// next read in line.
void TextBuffer::placeHeld(const char* from) {
  const std::size_t held = static_cast<std::size_t>(text_.data.get() + text_.size - from);
  const std::size_t lead = leadFor(held);
  std::memmove(text_.data.get() + lead, from, held);
  lead_ = lead;
  text_.size = lead + held;
  rawFrom_ = text_.size;
}

bool TextBuffer::start(PieceReader* from, bool readReady) {
  text_.size = 0;
  lead_ = 0;
  std::size_t ready = from != nullptr && readReady ? from->readyBytes() : 0;
  reserveBytes(text_, ready > 0 ? ready : 1);
  base_ = 0;
  rawFrom_ = 0;
  reader_ = from;
  ended_ = from == nullptr;
  pieceStart_ = 0;
  pieceEnd_ = UINT64_MAX;
  startKnown_ = from == nullptr || from->startsAtPiece();
  endedInPiece_ = false;
  blockStartsPiece_ = false;
  blockEndsPiece_ = false;
  if (ready == 0) return false;
  long long got = from->read(text_.data.get(), ready);
  if (got <= 0) return false;
  text_.size = static_cast<std::size_t>(got);
  blockStartsPiece_ = from->reachedStart();
  blockEndsPiece_ = from->reachedEnd();
  return true;
}

bool TextBuffer::restart() {
  if (reader_ == nullptr) return false;
  reader_->rewind();
  start(reader_, false);
  return true;
}

void TextBuffer::release() {
  text_ = ByteBuffer();
  reader_ = nullptr;
  ended_ = true;
  lead_ = 0;
  base_ = 0;
  rawFrom_ = 0;
}

std::string_view TextBuffer::readRawBlock(TextOffset from) {
  rawFrom_ = text_.size;
  if (ended_) return std::string_view();
  reserveBytes(text_, text_.size + blockSize_ + kReadAlignment);
  if (leadFor(size()) != lead_ && size() <= kMostMovedToAlign) placeHeld(begin());
  long long got = reader_->read(text_.data.get() + text_.size, blockSize_);
  if (got <= 0) {
    // Only a read of nothing, or a failed one, ends the file.
    ended_ = true;
    return std::string_view();
  }
  text_.size += static_cast<std::size_t>(got);
  blockStartsPiece_ = reader_->reachedStart();
  blockEndsPiece_ = reader_->reachedEnd();
  const char* start = place(from);
  return std::string_view(start, static_cast<std::size_t>(text_.data.get() + text_.size - start));
}

TextBlock TextBuffer::acceptBlock(bool plain) {
  TextBlock made;
  made.size = text_.size - rawFrom_;
  if (!plain) {
    made = applyTextMode(text_.data.get() + rawFrom_, made.size);
    text_.size = rawFrom_ + made.size;
    if (made.ended) {
      ended_ = true;
      if (pieceEnd_ == UINT64_MAX) endedInPiece_ = true;
    }
  }
  rawFrom_ = text_.size;
  TextOffset end = offsetOf(begin() + size());
  if (blockStartsPiece_) {
    pieceStart_ = end;
    startKnown_ = true;
  }
  if (blockEndsPiece_ && !endedInPiece_) pieceEnd_ = end;
  blockStartsPiece_ = false;
  blockEndsPiece_ = false;
  return made;
}

bool TextBuffer::dropBefore(const char* keep) {
  std::size_t shift = static_cast<std::size_t>(keep - begin());
  if (shift == 0 || shift < size() / 2) return false;
  placeHeld(keep);
  base_ += shift;
  return true;
}
