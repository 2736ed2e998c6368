#include "cmdline/run.h"

#include <climits>

#include "cmdline/options.h"
#include "cmdline/settings.h"
#include "files/recursion.h"
#include "output/diagnostics.h"
#include "output/hit_display.h"
#include "platform/current_directory.h"
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
  setCurrentDirectory(startDirectory);
  if (!foundAny && Settings.verboseAll) diagnostic("skern:main():nothing found\n");
  if (Settings.waitForKey) {
    diagnostic("(press a key)");
    std::fflush(Settings.diagnosticStream);
    waitForKeyPress();
  }
  return status;
}
