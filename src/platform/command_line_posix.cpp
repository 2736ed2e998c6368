#include "platform/command_line.h"

// The shell has split and unquoted the command line already; the argument vector is used as it is.
const char* rawCommandLine() {
  return nullptr;
}
