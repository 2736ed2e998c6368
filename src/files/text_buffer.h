// The text of the file (or piece) being scanned, read block by block into one buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

#include "files/piece_reader.h"
#include "files/text_mode.h"
#include "platform/file_reader.h"

/// A place in a file's text, counted in bytes from its start.
using TextOffset = std::uint64_t;

/// The bytes of a file's text from some offset on, in one buffer that grows at its end and
/// lets go at its start, and where the piece being scanned begins and ends in that text. A
/// block is read raw behind the text and then accepted as text; whatever points into the
/// buffer must follow it when `readRawBlock`, `acceptBlock` or `dropBefore` moves it.
/// While blocks are only looked through, the text may lie where the reader maps the file
/// instead: it is copied into the buffer before anything else looks at it, and a block that
/// met a page of the mapping gone (the file was shortened) is read again.
class TextBuffer {
 public:
  TextBuffer() = default;
  TextBuffer(const TextBuffer&) = delete;
  TextBuffer& operator=(const TextBuffer&) = delete;

  /// Sets how many bytes are read at a time.
  void setBlockSize(std::size_t bytes) { blockSize_ = bytes > 0 ? bytes : 1; }
  /// How many bytes are read at a time.
  std::size_t blockSize() const { return blockSize_; }

  /// Begins an empty text read from `reader` (none when null), with the bytes the reader has
  /// at hand read as a raw block when `readReady`; true when that block is there to accept.
  bool start(PieceReader* reader, bool readReady);
  /// Begins the text again from the reader's start; false when no reader was started.
  bool restart();
  /// Forgets the text and gives its memory back.
  void release();

  /// Calls `hook` before each block is read (tests shorten files there); null: none.
  void setBlockHook(const std::function<void()>* hook) { hook_ = hook; }

  /// The first byte held.
  const char* begin() const { return held_; }
  /// The bytes held, text and (before `acceptBlock`) a raw block.
  std::size_t size() const { return mapped_ != nullptr ? mappedSize_ : text_.size - lead_; }
  /// True while the text held lies in the reader's mapping of the file.
  bool mapped() const { return mapped_ != nullptr; }
  /// True once after the raw block was given up because the file lost bytes it held.
  bool takeLoss() {
    bool lost = lost_;
    lost_ = false;
    return lost;
  }
  /// Where `at`, a byte held, stands in the text.
  TextOffset offsetOf(const char* at) const {
    return base_ + static_cast<TextOffset>(at - begin());
  }
  /// The byte held at `offset` in the text.
  const char* place(TextOffset offset) const { return begin() + (offset - base_); }
  /// True once the reader has no more to give (it ended, failed, or the text ended at 0x1A).
  bool ended() const { return ended_; }

  /// Reads the next block behind the text, making room for it first (which may move the
  /// buffer), and returns the bytes from `from` to the block's end. Where `mayMap`, the
  /// block and the text may be seen where they lie in a mapping of the file instead. Empty
  /// once the text has ended; else `acceptBlock` must follow.
  std::string_view readRawBlock(TextOffset from, bool mayMap = false);
  /// The first byte of the raw block read last.
  const char* rawBlock() const { return begin() + rawFrom_; }
  /// Makes the raw block text, in text mode unless `plain` says that it holds no carriage
  /// return and no 0x1A; returns what text mode made of it (for a plain block only its size).
  /// A text that is not `plain` is first copied out of the mapping; a block that met a page
  /// gone is given up (see `takeLoss`), and the file is read again from where it was.
  TextBlock acceptBlock(bool plain);
  /// Copies the text out of the mapping into the buffer, where it lies there.
  void leaveMapping();
  /// Forgets the reader, which is going away, and what the text held of its mapping.
  void detach();

  /// Lets go of the bytes before `keep`, moving the rest back to the buffer's start (less
  /// than 64 bytes after it, in line with the next read), when that frees at least half of
  /// what is held; true when it did.
  bool dropBefore(const char* keep);

  /// True once the text reaches where the piece begins (or there is no piece before it).
  bool pieceStartKnown() const { return startKnown_; }
  /// Where the piece begins in the text; the end of the text when it ended before the piece.
  TextOffset pieceStart() const { return startKnown_ ? pieceStart_ : offsetOf(begin() + size()); }
  /// Where the piece ends in the text once that is known, else UINT64_MAX.
  TextOffset pieceEnd() const { return pieceEnd_; }
  /// True when the text ended at a 0x1A within the piece (or before it).
  bool endedInPiece() const { return endedInPiece_; }

 private:
  std::size_t leadFor(std::size_t held) const;
  void placeHeld(const char* from);
  bool enterMapping();
  void copyOut(std::size_t bytes, std::uint64_t readAt);
  void recover();
  void pointHeld() { held_ = mapped_ != nullptr ? mapped_ : text_.data.get() + lead_; }

  const char* held_ = nullptr;  // the first byte held, in `text_` or in the mapping
  ByteBuffer text_;             // `lead_` unused bytes, then the bytes held
  std::size_t lead_ = 0;        // chosen so that the next block is read to a place in line with it
  TextOffset base_ = 0;         // where the first byte held stands in the text
  std::size_t rawFrom_ = 0;     // where the raw block read last begins among the bytes held
  const char* mapped_ = nullptr;  // the bytes held where they lie in the mapping; null: in text_
  std::size_t mappedSize_ = 0;
  TextOffset cleanFrom_ = 0;  // from here on the text is the file's bytes, none taken out
  // The text that the buffer held when the mapping was entered, which it still holds there:
  // from text offset `entryBase_`, `entryHeld_` bytes at `entryLead_`.
  TextOffset entryBase_ = 0;
  std::size_t entryHeld_ = 0;
  std::size_t entryLead_ = 0;
  bool lost_ = false;
  const std::function<void()>* hook_ = nullptr;
  PieceReader* reader_ = nullptr;
  bool ended_ = true;
  std::size_t blockSize_ = std::size_t{1} << 18;
  TextOffset pieceStart_ = 0;
  TextOffset pieceEnd_ = UINT64_MAX;
  bool startKnown_ = true;
  bool endedInPiece_ = false;
  bool blockStartsPiece_ = false;  // the raw block read last ends where the piece begins
  bool blockEndsPiece_ = false;    // ... where it ends
};
