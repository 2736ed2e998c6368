#include "cmdline/run.h"

#include <climits>
#include <cstdio>
#include <new>

#include "cmdline/options.h"
#include "cmdline/settings.h"
#include "cmdline/tokenizer.h"
#include "cmdline/usage.h"
#include "files/recursion.h"
#include "output/diagnostics.h"
#include "output/hit_display.h"
#include "output/standard_output.h"
#include "platform/current_directory.h"
#include "platform/host.h"
#include "platform/key_wait.h"

std::string startDirectory;

int runSearch() {
  // Under -w the character window reaches one byte further, so that the byte just beyond the
  // user's reach decides whether a word ends there.
  if (Settings.wholeWords && Settings.charWindow != 0 && Settings.charWindow != INT_MAX) {
    ++Settings.charWindow;
  }
  for (const std::string& target : TargetList) {
    setCurrentDirectory(startDirectory);
    findrecurse(target);
  }
  return foundAny ? 0 : 1;
}

int runAndFinish() {
  startDirectory = currentDirectory();
  int status = runSearch();
  flushOutput();
  setCurrentDirectory(startDirectory);
  if (!foundAny && Settings.verboseAll) diagnostic("skern:main():nothing found\n");
  if (Settings.waitForKey) {
    diagnostic("(press a key)");
    std::fflush(Settings.diagnosticStream);
    waitForKeyPress();
  }
  return status;
}

int skernMain(int argc, char** argv) {
  // Hits are written in large blocks when nobody watches them arrive.
  if (!isTerminal(stdout)) std::setvbuf(stdout, nullptr, _IOFBF, 1 << 16);
  if (argc < 2) usage();
  try {
    splitCommandLine(argc, argv);
    readOptions();
    return runAndFinish();
  } catch (const std::bad_alloc&) {
    // Memory ran out outside any one file (a file's own lack is reported with it): the run
    // cannot go on, and what it shows is incomplete.
    std::fflush(stdout);
    std::fputs("skern:main():out of memory\n", stderr);
    return 2;
  }
}
