// What the case runner needs from the host it runs on.
#pragma once

#include <functional>
#include <string>
#include <vector>

/// The separator that skern joins paths with on this host.
extern const char kSeparator;

/// How a case runs skern beyond its command line and output file (POSIX only).
struct RunLimits {
  long openFiles = 0;       ///< The most files open at once, when above 0.
  long memoryMiB = 0;       ///< The most address space, when above 0.
  bool fullOutput = false;  ///< Standard output is a device that is always full.
  std::string terminal;     ///< If set, output and error are a terminal with this NAME=VALUE.
  std::string environment;  ///< If set, a NAME=VALUE that skern runs with.
};

/// What undoes the staging of a case's special entries, so that its folder can be removed.
extern std::vector<std::function<void()>> undoStaging;

/// A case's text with its escapes, repetitions and placeholders decoded.
std::string expand(const std::string& text);

/// A fresh, empty folder for one case, as skern prints it (on POSIX 64 bytes long).
std::string makeFolder();

/// Makes `path` in the current directory a fifo, hidden, system or unlisted; false if it cannot.
bool stageSpecial(const std::string& kind, const std::string& path);

/// Runs `program` with `line` (split on POSIX, raw on Windows) in `root`, no input, output into
/// `out` and error into `root`.err; gives the exit status, or 128 + the ending signal.
int runLine(const std::string& program, const std::string& root, const std::string& line,
            const std::string& out, const RunLimits& limits);
