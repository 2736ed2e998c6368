// The text of the file being scanned, held whole while its lines are evaluated.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "files/element_list.h"
#include "platform/file_reader.h"

/// The bytes of the current file after text-mode reading; `LineList` points into them.
extern ByteBuffer FileText;

/// The current file's elements in file order, as far as they have been needed: lines with
/// their line feeds, long lines in pieces of at most 999 bytes.
extern ElementList LineList;

/// Turns the raw bytes in `FileText` into text and starts its elements afresh; they are
/// divided up as they are asked for.
void startLines();

/// True when the file has an element `index`; divides the text up to it first.
bool haveElement(std::size_t index);

/// Divides the text up to and including the element whose chunk holds the byte at `at`.
void divideThrough(const char* at);

/// Divides the whole text into elements.
void divideAll();

/// Replaces `FileText` with the text-mode form of `bytes` and divides it whole (for tests).
void loadLines(std::string_view bytes);

/// Empties `LineList` and releases `FileText` (for tests).
void resetLines();
