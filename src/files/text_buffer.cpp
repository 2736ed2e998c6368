#include "files/text_buffer.h"

#include <algorithm>
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
  rawFrom_ = held;
  pointHeld();
}

bool TextBuffer::start(PieceReader* from, bool readReady) {
  text_.size = 0;
  lead_ = 0;
  mapped_ = nullptr;
  mappedSize_ = 0;
  cleanFrom_ = 0;
  lost_ = false;
  entryHeld_ = 0;
  std::size_t ready = from != nullptr && readReady ? from->readyBytes() : 0;
  reserveBytes(text_, ready > 0 ? ready : 1);
  pointHeld();
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
  lead_ = 0;
  base_ = 0;
  detach();
}

void TextBuffer::detach() {
  mapped_ = nullptr;
  mappedSize_ = 0;
  text_.size = lead_;
  rawFrom_ = 0;
  reader_ = nullptr;
  ended_ = true;
  pointHeld();
}

// Sees the bytes held where they lie in the reader's mapping, where they are the file's own
// bytes just before where it reads next and the mapping holds them; true when it does.
bool TextBuffer::enterMapping() {
  if (reader_ == nullptr || base_ < cleanFrom_ || reader_->readyBytes() > 0) return false;
  const std::size_t held = size();
  const std::uint64_t at = reader_->position();
  if (at < held) return false;
  const char* start = reader_->mappedAt(at - held);
  if (start == nullptr || reader_->mappedAt(at) == nullptr) return false;
  mapped_ = start;
  mappedSize_ = held;
  rawFrom_ = held;
  entryBase_ = base_;
  entryHeld_ = held;
  entryLead_ = lead_;
  pointHeld();
  return true;
}

// Copies the first `bytes` held in the mapping into the buffer, in line for a read at file
// offset `readAt`, and leaves the mapping. The bytes that the buffer held before the mapping
// are taken from there: the file may have lost them since.
void TextBuffer::copyOut(std::size_t bytes, std::uint64_t readAt) {
  const std::size_t lead = static_cast<std::size_t>((readAt - bytes) % kReadAlignment);
  std::size_t kept = 0;
  if (base_ < entryBase_ + entryHeld_) {
    kept = std::min<std::size_t>(bytes, static_cast<std::size_t>(entryBase_ + entryHeld_ - base_));
    std::memmove(text_.data.get() + lead,
                 text_.data.get() + entryLead_ + static_cast<std::size_t>(base_ - entryBase_),
                 kept);
  }
  text_.size = lead + kept;
  reserveBytes(text_, lead + bytes + blockSize_ + kReadAlignment);
  std::memcpy(text_.data.get() + lead + kept, mapped_ + kept, bytes - kept);
  lead_ = lead;
  text_.size = lead + bytes;
  entryHeld_ = 0;
  mapped_ = nullptr;
  mappedSize_ = 0;
  pointHeld();
}

void TextBuffer::leaveMapping() {
  if (mapped_ == nullptr) return;
  copyOut(mappedSize_, reader_->position());
  if (mappedBytesLost()) recover();
}

// Some bytes of the mapping were gone when they were touched: the file was shortened. The raw
// block is given up and read again from where it began, so that it is what a reading of the
// file at this moment gives. The text accepted before it stays, as a reading holds it, but
// for bytes first seen in the mapping and lost since, which the copy holds as zeros.
void TextBuffer::recover() {
  // The bytes held, in the mapping or copied out, end where the reader stands.
  const std::uint64_t blockFrom = reader_->position() - size() + rawFrom_;
  if (mapped_ != nullptr) {
    copyOut(rawFrom_, blockFrom);
  } else {
    text_.size = lead_ + rawFrom_;
  }
  reader_->readOnFrom(blockFrom);
  mappedBytesLost();
  lost_ = true;
  blockStartsPiece_ = false;
  blockEndsPiece_ = false;
}

std::string_view TextBuffer::readRawBlock(TextOffset from, bool mayMap) {
  rawFrom_ = size();
  if (ended_) return std::string_view();
  // Counting what was looked through may have touched a page gone.
  if (mapped_ != nullptr && mappedBytesLost()) recover();
  if (hook_ != nullptr) (*hook_)();
  if (mayMap && (mapped_ != nullptr || enterMapping())) {
    std::string_view block = reader_->view(blockSize_);
    if (!block.empty()) {
      mappedSize_ += block.size();
      blockStartsPiece_ = reader_->reachedStart();
      blockEndsPiece_ = reader_->reachedEnd();
      const char* start = place(from);
      return std::string_view(start, static_cast<std::size_t>(begin() + size() - start));
    }
  }
  leaveMapping();
  reserveBytes(text_, text_.size + blockSize_ + kReadAlignment);
  pointHeld();
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
  if (mapped_ != nullptr) {
    if (mappedBytesLost()) {
      recover();
    } else if (!plain) {
      leaveMapping();
    }
  }
  TextBlock made;
  const std::size_t raw = size() - rawFrom_;
  made.size = raw;
  if (!plain) {
    made = applyTextMode(text_.data.get() + lead_ + rawFrom_, raw);
    text_.size = lead_ + rawFrom_ + made.size;
    if (made.size != raw) cleanFrom_ = offsetOf(begin() + size());
    if (made.ended) {
      ended_ = true;
      if (pieceEnd_ == UINT64_MAX) endedInPiece_ = true;
    }
  }
  rawFrom_ = size();
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
  if (mapped_ != nullptr) {
    // Nothing moves: the text only begins later in the mapping.
    if (shift == 0) return false;
    mapped_ = keep;
    mappedSize_ -= shift;
    rawFrom_ -= shift;
    pointHeld();
    base_ += shift;
    reader_->releaseBefore(reader_->position() - mappedSize_);
    return true;
  }
  if (shift == 0 || shift < size() / 2) return false;
  placeHeld(keep);
  base_ += shift;
  return true;
}
