#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "platform/current_directory.h"

std::string currentDirectory() {
  char buffer[MAX_PATH];
  DWORD length = GetCurrentDirectoryA(MAX_PATH, buffer);
  // A directory that does not fit makes the call return the size it would need instead.
  if (length == 0 || length >= MAX_PATH) return "";
  return std::string(buffer, length);
}
