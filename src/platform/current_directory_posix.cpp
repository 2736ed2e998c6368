#include <limits.h>
#include <unistd.h>

#include "platform/current_directory.h"
#include "platform/held_directory_posix.h"

namespace {

// The current directory as this thread last read or set it; a file scan asks for it once per
// file. The search does not change it while threads scan.
thread_local std::string known;
thread_local bool isKnown = false;

}  // namespace

std::string currentDirectory() {
  if (isKnown) return known;
  char buffer[PATH_MAX];
  known = getcwd(buffer, sizeof buffer) != nullptr ? buffer : "";
  isKnown = true;
  return known;
}

bool setCurrentDirectory(const std::string& path) {
  isKnown = false;
  walkDirectory().release();
  return chdir(path.c_str()) == 0;
}
