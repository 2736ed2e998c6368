// What the case runner needs from the host it runs on.
#pragma once

#include <string>

#include "e2e/harness.h"

/// The host's name as a case names it: "posix" or "windows".
extern const char* const kHost;

/// The separator that skern joins paths with on this host.
extern const char kSeparator;

/// Creates the entry `path` of kind `kind` (file, dir, locked, fifo, socket, link, hidden,
/// system) below `root`, with `bytes` as its content or link target. False when the host has no
/// such entry or creating it failed.
bool stageEntry(const std::string& root, const std::string& kind, const std::string& path,
                const std::string& bytes);

/// Runs skern in `root`, with standard input empty and no terminal or console. On POSIX `line`
/// is split into arguments at unquoted blanks, each then expanded by `expand`; on Windows the
/// expanded `line` is the raw command line after the program's quoted path and one space.
/// `openFileLimit` above 0 bounds the open files (POSIX only).
RunResult runLine(const std::string& root, const std::string& line,
                  std::string (*expand)(const std::string&), long openFileLimit);
