#include <limits.h>
#include <unistd.h>

#include "platform/current_directory.h"

namespace {

// This thread's copy of the current directory, read from the system when first asked for.
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
