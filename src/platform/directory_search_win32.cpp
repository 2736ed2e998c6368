#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "platform/directory_search.h"

namespace {

// True when a search in `directory` that failed with `error` met a folder it could not list
// (access denied, a sharing violation, a device error), rather than nothing to deliver: no
// such name, no such folder, or a name no file can have.
bool listingRefused(DWORD error, const std::string& directory) {
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES ||
      error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME) {
    return false;
  }
  DWORD attributes = GetFileAttributesA(directory.empty() ? "." : directory.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The entries that the system's search for `pattern` in `directory` gives, in its order;
// `refused` is set when the search stops short of them all.
std::vector<DirectoryEntry> search(const std::string& directory, const std::string& pattern,
                                   bool& refused) {
  std::vector<DirectoryEntry> entries;
  WIN32_FIND_DATAA found;
  // The search matches the name part itself, in the order the file system keeps the names.
  HANDLE search = FindFirstFileA((directory + pattern).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    refused = refused || listingRefused(GetLastError(), directory);
    return entries;
  }
  do {
    DirectoryEntry entry;
    entry.name = found.cFileName;
    entry.hidden = (found.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0;
    entry.system = (found.dwFileAttributes & FILE_ATTRIBUTE_SYSTEM) != 0;
    entry.directory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    entries.push_back(std::move(entry));
  } while (FindNextFileA(search, &found));
  // The folder was there when the search began, so any end but the last entry is a failure.
  refused = refused || GetLastError() != ERROR_NO_MORE_FILES;
  FindClose(search);
  return entries;
}

}  // namespace

DirectoryListing HostDirectoryLister::list(const std::string& directory,
                                           const std::string& namePattern, bool subdirectories) {
  DirectoryListing listing;
  listing.matches = search(directory, namePattern, listing.incomplete);
  if (!subdirectories) return listing;
  // The system matches names itself, so the subdirectories take a search of their own, in
  // the pattern's directory with a backslash after it.
  std::string within = directory;
  if (!within.empty() && within.back() != '\\') within += '\\';
  for (DirectoryEntry& entry : search(within, "*", listing.incomplete)) {
    if (entry.directory && entry.name != "." && entry.name != "..") {
      listing.subdirectories.push_back(std::move(entry));
    }
  }
  return listing;
}

// A descent on Windows is bounded by the path length limit, where the search fails.
bool HostDirectoryLister::identity(const std::string&, DirectoryIdentity&) {
  return false;
}
