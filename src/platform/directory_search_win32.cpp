#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "platform/directory_search.h"

std::vector<DirectoryEntry> listDirectory(const std::string& pattern) {
  std::vector<DirectoryEntry> entries;
  WIN32_FIND_DATAA found;
  // The search matches the name part itself, in the order the file system keeps the names.
  HANDLE search = FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return entries;
  do {
    DirectoryEntry entry;
    entry.name = found.cFileName;
    entry.hidden = (found.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0;
    entry.system = (found.dwFileAttributes & FILE_ATTRIBUTE_SYSTEM) != 0;
    entry.directory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    entries.push_back(std::move(entry));
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return entries;
}

// A descent on Windows is bounded by the path length limit, where the search fails.
bool directoryIdentity(const std::string&, DirectoryIdentity&) {
  return false;
}
