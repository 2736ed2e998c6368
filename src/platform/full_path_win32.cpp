#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "platform/full_path.h"

bool fullPath(const std::string& path, std::string& full) {
  char buffer[MAX_PATH];
  DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, buffer, nullptr);
  // A path that does not fit leaves the buffer unfilled and returns the size it would need.
  if (length == 0 || length >= MAX_PATH) return false;
  full.assign(buffer, length);
  return true;
}
