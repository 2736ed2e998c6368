// The text of the file being scanned, streamed through a buffer of bounded size: only the
// elements that a window around a line still to be scanned can reach are held.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "files/element_list.h"
#include "platform/file_reader.h"

/// The current file's elements in file order, as far as they have been divided and are still
/// held: lines with their line feeds, long lines in pieces of at most 999 bytes.
extern ElementList LineList;

/// A place in the current file's text, counted in bytes from its start.
using TextOffset = std::uint64_t;

/// Sets how many bytes are read from a file at a time (tests make it tiny).
void setReadBlockSize(std::size_t bytes);

/// Whether line numbers are shown, so that `lineNumberOf` must be exact; elements passed over
/// by `skipTo` are then counted, but not before the file's first number is asked for.
void setNumbering(bool exact);

/// How far a window reaches from a candidate: `lines` elements, or `bytes` bytes of the text,
/// on either side; 0 and 0 for no window.
void setWindowReach(std::size_t lines, std::size_t bytes);

/// Begins streaming the text of `file`. Its bytes read with the open come first; `plainAhead`
/// says that they hold no carriage return and no 0x1A.
void startLines(OpenFile& file, bool plainAhead);

/// Goes back to the start of the current file and begins its text again; false when the file
/// cannot be read again.
bool restartLines();

/// True when the file has an element `index`; divides the text, and reads it, up to it first.
bool haveElement(std::size_t index);

/// The element whose chunk holds the byte at `at`, divided (and read) through it.
std::size_t elementHolding(TextOffset at);

/// Says that no element before `index` will be a candidate again: only those a window around a
/// later one can reach are held from now on.
void setScanFloor(std::size_t index);

/// Says that no occurrence starts before `at` and that the text before it is not looked at
/// again: the elements that no window around a later candidate can reach are only counted.
void skipTo(TextOffset at);

/// The line number of element `index`, counted from 1 (exact where numbering is on).
std::uint64_t lineNumberOf(std::size_t index);

/// Where `at`, a byte of the text held, stands in the file's text.
TextOffset offsetOf(const char* at);

/// The text held from `from` to its end.
std::string_view heldText(TextOffset from);

/// The end of the text held.
TextOffset heldEnd();

/// Reads the next block of the file's raw bytes behind the text held and returns the bytes
/// from `from` to the block's end: text, then the new raw bytes. Empty when the file has
/// ended. `acceptBlock` must follow before anything else is asked.
std::string_view readRawBlock(TextOffset from);

/// Makes the block just read part of the text; `plain` says it holds no carriage return and
/// no 0x1A, so that it is its own text.
void acceptBlock(bool plain);

/// Replaces the text with the text-mode form of `bytes` (for tests).
void loadLines(std::string_view bytes);

/// Empties `LineList`, releases the text's memory and forgets the file.
void resetLines();
