#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "platform/command_line.h"

// The command line exactly as the caller of CreateProcess wrote it; skern splits it itself.
const char* rawCommandLine() {
  return GetCommandLineA();
}
