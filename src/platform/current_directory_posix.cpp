#include <limits.h>
#include <unistd.h>

#include "platform/current_directory.h"
#include "platform/held_directory_posix.h"

namespace {

// This thread's copy of the current directory: read from the system when first asked for, and
// again after this thread sets it. A change made by another thread is not seen.
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
  threadDirectory().release();
  return chdir(path.c_str()) == 0;
}
