#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>

#include "platform/directory_search.h"
#include "platform/held_directory_posix.h"
#include "platform/wildcard.h"

namespace {

// Fills in the kind of `entry` from the listing's type where it gives one, else from stat()
// with links followed. A dangling link and anything that is neither a regular file nor a
// directory counts as a system entry.
void classify(DirectoryEntry& entry, int directoryFd, const char* name, unsigned char type) {
  if (type == DT_REG) return;
  if (type == DT_DIR) {
    entry.directory = true;
    return;
  }
  if (type != DT_LNK && type != DT_UNKNOWN) {
    entry.system = true;
    return;
  }
  struct stat info;
  if (fstatat(directoryFd, name, &info, 0) != 0) {
    entry.system = true;
  } else if (S_ISDIR(info.st_mode)) {
    entry.directory = true;
  } else if (!S_ISREG(info.st_mode)) {
    entry.system = true;
  }
}

// Every entry of `directory` ("" for the current one), sorted; false when it cannot be listed.
bool readWholeDirectory(const std::string& directory, std::vector<DirectoryEntry>& entries) {
  DIR* stream = heldDirectoryToList(directory);
  if (stream == nullptr) return false;
  while (dirent* found = readdir(stream)) {
    DirectoryEntry entry;
    entry.name = found->d_name;
    entry.hidden = entry.name[0] == '.';
    classify(entry, dirfd(stream), found->d_name, found->d_type);
    entries.push_back(std::move(entry));
  }
  std::sort(entries.begin(), entries.end(), [](const DirectoryEntry& a, const DirectoryEntry& b) {
    return foldedNameLess(a.name, b.name);
  });
  return true;
}

// The last directory read, with its entries. A recursive search lists each directory twice
// in a row, once for its matching files and once for its subdirectories; the second listing
// is answered from here.
std::string lastDirectory;
std::vector<DirectoryEntry> lastEntries;
bool lastValid = false;

}  // namespace

std::vector<DirectoryEntry> listDirectory(const std::string& pattern) {
  std::size_t slash = pattern.rfind('/');
  std::string directory = slash == std::string::npos ? "" : pattern.substr(0, slash + 1);
  std::string namePattern = slash == std::string::npos ? pattern : pattern.substr(slash + 1);
  std::vector<DirectoryEntry> entries;
  if (!lastValid || lastDirectory != directory) {
    lastEntries.clear();
    lastValid = readWholeDirectory(directory, lastEntries);
    lastDirectory = directory;
    if (!lastValid) return entries;
  } else {
    lastValid = false;  // answered once from memory; the next listing reads afresh
  }
  for (const DirectoryEntry& entry : lastEntries) {
    if (wildcardMatch(namePattern, entry.name)) entries.push_back(entry);
  }
  return entries;
}

bool directoryIdentity(const std::string& path, DirectoryIdentity& identity) {
  int directory = heldDirectoryFd(path);
  struct stat info;
  if (directory < 0 || fstat(directory, &info) != 0) return false;
  identity.device = static_cast<std::uint64_t>(info.st_dev);
  identity.inode = static_cast<std::uint64_t>(info.st_ino);
  return true;
}
