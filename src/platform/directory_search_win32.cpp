#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "platform/directory_search.h"
#include "platform/host.h"

namespace {

// The entries that the system's search for `pattern` gives, in its order.
std::vector<DirectoryEntry> search(const std::string& pattern) {
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

}  // namespace

DirectoryListing listDirectory(const std::string& pattern, bool subdirectories) {
  DirectoryListing listing;
  listing.matches = search(pattern);
  if (!subdirectories) return listing;
  // The system matches names itself, so the subdirectories take a search of their own, in
  // the pattern's directory with a backslash after it.
  std::string directory = pattern.substr(0, lastComponentStart(pattern));
  if (!directory.empty() && directory.back() != '\\') directory += '\\';
  for (DirectoryEntry& entry : search(directory + "*")) {
    if (entry.directory && entry.name != "." && entry.name != "..") {
      listing.subdirectories.push_back(std::move(entry));
    }
  }
  return listing;
}

// A descent on Windows is bounded by the path length limit, where the search fails.
bool directoryIdentity(const std::string&, DirectoryIdentity&) {
  return false;
}
