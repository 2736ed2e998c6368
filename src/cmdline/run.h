// The run driver: every target in order, the end-of-run messages and the exit status.
#pragma once

#include <string>

/// The directory the run started in; "" when it could not be read.
extern std::string startDirectory;

/// Makes the search use `threads` threads instead of one per usable CPU (builds for tests).
void fixSearchThreads(int threads);

/// Records `startDirectory`, searches every target of `TargetList` in order, each from the
/// start directory, writes the end-of-run messages and waits for a key when asked to; returns
/// 0 when a hit was shown, else 1.
int runAndFinish();

/// The whole program: splits and reads the command line, runs the search and returns the
/// exit status.
int skernMain(int argc, char** argv);
