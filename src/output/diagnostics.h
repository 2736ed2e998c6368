// The diagnostic stream: messages formatted once, written after the hits that precede them.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

/// `format` with its arguments, as printf would write it.
std::string formatMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));

/// Writes `text` to `stream` after the hits waiting in standard output's buffer, so that the
/// order of what was written is kept; a failure to write the message is ignored.
void writeDiagnostic(FILE* stream, std::string_view text);
