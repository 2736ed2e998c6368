// What the case runner needs from the host it runs on.
#pragma once

#include <string>

/// The separator that skern joins paths with on this host.
extern const char kSeparator;

/// How a case runs skern beyond its command line and output file (POSIX only).
struct RunLimits {
  long openFiles = 0;       ///< The most files open at once, when above 0.
  long memoryMiB = 0;       ///< The most address space, when above 0.
  bool fullOutput = false;  ///< Standard output is a device that is always full.
  bool terminal = false;    ///< Output and error are a terminal (TERM=xterm, no NO_COLOR).
  std::string environment;  ///< On a terminal, "NAME=VALUE" set beyond that, where not empty.
};

/// A case's text with its escapes, repetitions and placeholders decoded.
std::string expand(const std::string& text);

/// A fresh, empty folder for one case, as skern prints it (on POSIX 64 bytes long).
std::string makeFolder();

/// Makes the entry `path` (in the current directory) of a kind that only this host has (fifo on
/// POSIX, the attribute hidden or system set on Windows) or that each host stages its own way
/// (unlisted: the existing folder `path` made one that cannot be listed). False when it cannot.
bool stageSpecial(const std::string& kind, const std::string& path);

/// Undoes what `stageSpecial` left in force, so that the case's folder can be removed.
void releaseSpecial();

/// Runs `program` with `line` in `root`, no input, output into the file `out` (or a terminal, read
/// back into it) and error into `root`.err; gives the exit status, or 128 + the ending signal.
/// POSIX splits `line` at unquoted blanks and expands each argument; Windows expands `line`
/// into the raw command line after the program.
int runLine(const std::string& program, const std::string& root, const std::string& line,
            const std::string& out, const RunLimits& limits);
