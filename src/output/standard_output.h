// Standard output, where the hits go: a write that fails ends the run.
#pragma once

#include <cstdio>
#include <string_view>

/// Writes `text` to `stream`, where the hits go (standard output but in tests); when that
/// fails, ends the run with `outputFailed`.
void writeOutput(FILE* stream, std::string_view text);

/// Hands what waits in standard output's buffer to the system; a failure ends the run.
void flushOutput();

/// Hands what waits in `stream`'s buffer to the system; a failure ends the run.
void flushStream(FILE* stream);

/// Reports on standard error that writing the hits failed and ends the process with status 2.
[[noreturn]] void outputFailed();

/// Reports on standard error that memory ran out outside any one file, after the hits
/// written so far, and ends the process with status 2: what the run shows is incomplete.
[[noreturn]] void ranOutOfMemory();
