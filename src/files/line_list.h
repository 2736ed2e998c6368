// The text of the file being scanned, held whole while its lines are evaluated.
#pragma once

#include <string_view>
#include <vector>

#include "platform/file_reader.h"

/// The bytes of the current file after text-mode reading; `LineList` points into them.
extern ByteBuffer FileText;

/// The current file's elements in file order: lines with their line feeds, long lines in
/// pieces of at most 999 bytes.
extern std::vector<std::string_view> LineList;

/// Replaces `FileText` and `LineList` with the text of `bytes` (for tests and the file scan).
void loadLines(std::string_view bytes);

/// Empties `LineList` and releases `FileText` (for tests).
void resetLines();
