// The run driver: every target in order, the end-of-run messages and the exit status.
#pragma once

#include <string>

/// The directory the run started in; "" when it could not be read.
extern std::string startDirectory;

/// Searches every target of `TargetList` in order, each from `startDirectory`; returns 0 when
/// a hit was shown, else 1.
int runSearch();

/// Records `startDirectory`, runs the search, returns to the start directory, writes the
/// end-of-run messages, waits for a key when asked to; returns the exit status.
int runAndFinish();

/// The whole program: splits and reads the command line, runs the search and returns the
/// exit status.
int skernMain(int argc, char** argv);
