// The run driver: every target in order, the end-of-run messages and the exit status.
#pragma once

#include <cstdint>
#include <string>

/// The directory the run started in; "" when it could not be read.
extern std::string startDirectory;

/// Makes the search use `threads` threads instead of one per usable CPU (builds for tests).
void fixSearchThreads(int threads);

/// Cuts big files into pieces of `bytes` bytes where several threads search (for tests: tiny
/// pieces); 0 keeps the usual size.
void fixPieceBytes(std::uint64_t bytes);

/// Records `startDirectory`, searches every target of `TargetList` in order, each from the
/// start directory, writes the end-of-run messages and waits for a key when asked to; returns
/// 0 when a hit was shown, else 1.
int runAndFinish();

/// The whole program: splits and reads the command line, runs the search and returns the
/// exit status.
int skernMain(int argc, char** argv);
