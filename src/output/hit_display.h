// Writing file headers and hits to standard output.
#pragma once

#include <string_view>

/// Set once the run has shown its first hit.
extern bool foundAny;

/// Writes the current file's header before its first hit; sets `HeaderShown` and `foundAny`.
void showheader();

/// Shows hit line `lineNumber` (its text `line`, its window `window`) in the cute or the dump
/// style, after the file's header when that is still due.
void showhit(long long lineNumber, std::string_view line, std::string_view window);

/// The cute form of one hit: trimmed, prefixed, wrapped or truncated at the margin.
void formatCute(long long lineNumber, std::string_view text, std::string& out);

/// The dump form of one hit: the prefix and the text unchanged.
void formatDump(long long lineNumber, std::string_view text, std::string& out);
