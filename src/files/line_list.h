// The text of the file being scanned, streamed through a buffer of bounded size: only the
// elements that a window around a line still to be scanned can reach are held.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

#include "files/element_division.h"
#include "files/element_list.h"
#include "files/piece_reader.h"
#include "files/text_buffer.h"
#include "files/window_reach.h"

/// One file's elements in file order, as far as they have been divided and are still held:
/// lines with their line feeds, long lines cut into elements of at most 999 bytes. It decides what
/// of its text buffer a window can still reach and lets the rest go. Reused from file to
/// file by the scan that owns it.
class LineList {
 public:
  LineList() = default;
  LineList(const LineList&) = delete;
  LineList& operator=(const LineList&) = delete;

  /// Element `index`; it must be held.
  std::string_view operator[](std::size_t index) const { return elements_[index]; }
  /// The number of the first element held.
  std::size_t first() const { return elements_.first(); }
  /// The number of the element after the last one divided.
  std::size_t size() const { return elements_.size(); }

  /// Sets how many bytes are read from a file at a time (tests make it tiny).
  void setReadBlockSize(std::size_t bytes) { text_.setBlockSize(bytes); }

  /// Whether line numbers are shown, so that element numbers must be exact: elements passed
  /// over by `skipTo` are then counted as they go by.
  void setNumbering(bool exact) { numbered_ = exact; }

  /// How far a window reaches from a candidate.
  void setWindowReach(const WindowReach& reach) { reach_ = reach; }

  /// Begins streaming the text that `reader` reads. The bytes it has at hand come first;
  /// `plainReady` says that they hold no carriage return and no 0x1A.
  void startLines(PieceReader& reader, bool plainReady);

  /// Goes back to the start of the current file and begins its text again; false when the
  /// file cannot be read again.
  bool restartLines();

  /// Where the piece being scanned begins in the text; reads up to it first. The text before
  /// it is there only for windows.
  TextOffset pieceStart();
  /// Where the piece being scanned ends in the text: after the line that ends it, or at the
  /// text's end, which is read up to first.
  TextOffset pieceEnd();
  /// True when `at` lies at or beyond the end of the piece being scanned.
  bool pastPiece(TextOffset at) const { return at >= text_.pieceEnd(); }
  /// True when the text ended at a 0x1A within the piece (or before it).
  bool endedInPiece() const { return text_.endedInPiece(); }
  /// The number of elements before `at`, a chunk's first byte or the end of the text; the
  /// text before `at` is not looked at again.
  std::size_t elementsBefore(TextOffset at);

  /// True when the file has an element `index`; divides the text, and reads it, up to it first.
  bool haveElement(std::size_t index);

  /// The element whose chunk holds the byte at `at`, divided (and read) through it.
  std::size_t elementHolding(TextOffset at);

  /// Says that no element before `index` will be a candidate again: only those a window
  /// around a later one can reach are held from now on.
  void setScanFloor(std::size_t index) { scanFloor_ = index; }

  /// Says that no occurrence starts before `at` and that the text before it is not looked at
  /// again: the elements that no window around a later candidate can reach are only counted.
  void skipTo(TextOffset at);

  /// Where `at`, a byte of the text held, stands in the file's text.
  TextOffset offsetOf(const char* at) const { return text_.offsetOf(at); }

  /// The text held from `from` to its end.
  std::string_view heldText(TextOffset from) const;

  /// Where the element after the last one divided begins.
  TextOffset dividedEnd() const { return offsetOf(cursor_.at); }

  /// The end of the text held.
  TextOffset heldEnd() const { return offsetOf(cursor_.end); }

  /// Sets what is called before each block is read (tests shorten files there); null: none.
  void setBlockHook(const std::function<void()>* hook) { text_.setBlockHook(hook); }

  /// Reads the next block of the file's raw bytes behind the text held and returns the bytes
  /// from `from` to the block's end: text, then the new raw bytes. Where `mayMap`, the text
  /// may be seen where the file is mapped instead, until more than a look at its raw bytes
  /// is asked. Empty when the file has ended. `acceptBlock` must follow before anything else
  /// is asked.
  std::string_view readRawBlock(TextOffset from, bool mayMap = false);

  /// Makes the block just read part of the text; `plain` says it holds no carriage return and
  /// no 0x1A, so that it is its own text. False when the block was given up instead, since
  /// the file lost bytes it held: the next read takes it again from the file.
  bool acceptBlock(bool plain);

  /// Forgets the reader of the text, which is going away.
  void detachReader() { text_.detach(); }

  /// Forgets the file and gives the text's memory back.
  void release();

 private:
  std::size_t softLimit() const;
  void rebase(const char* from, const char* to);
  std::size_t reachStart() const;
  void applySkip();
  void letGo(std::size_t wanted);
  bool readMoreText();
  void startText();
  void leaveMapping();
  void fitToText();

  ElementList elements_;
  // The text, and how far it has been divided into elements.
  TextBuffer text_;
  ElementCursor cursor_;
  // Line numbers are shown: the elements passed over by a skip are counted as they go by.
  bool numbered_ = true;
  // How far a window reaches, and the first element that may still be a candidate.
  WindowReach reach_;
  std::size_t scanFloor_ = 0;
  TextOffset pendingSkip_ = 0;  // no occurrence starts before this
  std::size_t reachHeld_ = 0;   // the bytes that the last skip kept for a window's sake
};
