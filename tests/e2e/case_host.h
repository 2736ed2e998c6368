// What the case runner needs from the host it runs on.
#pragma once

#include <string>

/// How the name of a case for the other host only begins: "Windows: " or "POSIX: ".
extern const char* const kOtherHost;

/// The separator that skern joins paths with on this host.
extern const char kSeparator;

/// How a case runs skern beyond its command line (POSIX only, but for `outputInTree`).
struct RunLimits {
  long openFiles = 0;        ///< The most files open at once, when above 0.
  long memoryMiB = 0;        ///< The most address space, when above 0.
  bool fullOutput = false;   ///< Standard output is a device that is always full.
  std::string outputInTree;  ///< Standard output is this file of the tree, where not empty.
  bool terminal = false;     ///< Output and error are a terminal (TERM=xterm, no NO_COLOR).
  std::string environment;   ///< On a terminal, "NAME=VALUE" set beyond that, where not empty.
};

/// The skern that the cases run: the one built, unless the command line names another.
extern std::string skernExecutable;

/// A fresh, empty folder for one case, as skern prints it (on POSIX 64 bytes long).
std::string makeFolder();

/// Makes the entry `path` (in the current directory) of a kind that only this host has (fifo on
/// POSIX, the attribute hidden or system set on Windows) or that each host stages its own way
/// (unlisted: the existing folder `path` made one that cannot be listed). False when it cannot.
bool stageSpecial(const std::string& kind, const std::string& path);

/// Undoes what `stageSpecial` left in force, so that the case's folder can be removed.
void releaseSpecial();

/// Runs skern `line` in `root`, no input, no terminal, output in `root`.out (or the file of the
/// tree that `limits` names) and .err; gives the
/// exit status, or 128 + the ending signal. POSIX splits `line` at unquoted blanks and expands
/// each argument; Windows expands `line` into the raw command line after the program.
int runLine(const std::string& root, const std::string& line,
            std::string (*expand)(const std::string&), const RunLimits& limits);
