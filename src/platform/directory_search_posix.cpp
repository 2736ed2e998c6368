#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

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

// How much of a directory a listing gave.
enum class Reading { whole, absent, inPart };

// Every entry of `directory` ("" for the current one), sorted: all of them, none where there is
// no such directory, or those read before the listing failed in any other way (no permission,
// an I/O error, no memory in the system).
Reading readWholeDirectory(const std::string& directory, std::vector<DirectoryEntry>& entries) {
  DIR* stream = threadDirectory().toList(directory);
  if (stream == nullptr) {
    return errno == ENOENT || errno == ENOTDIR ? Reading::absent : Reading::inPart;
  }
  Reading reading = Reading::whole;
  for (;;) {
    errno = 0;  // readdir tells its end from its failure only by errno
    dirent* found = readdir(stream);
    if (found == nullptr) {
      if (errno != 0) reading = Reading::inPart;
      break;
    }
    DirectoryEntry entry;
    entry.name = found->d_name;
    entry.hidden = entry.name[0] == '.';
    classify(entry, dirfd(stream), found->d_name, found->d_type);
    entries.push_back(std::move(entry));
  }
  std::sort(entries.begin(), entries.end(), [](const DirectoryEntry& a, const DirectoryEntry& b) {
    return foldedNameLess(a.name, b.name);
  });
  return reading;
}

}  // namespace

DirectoryListing HostDirectoryLister::list(const std::string& directory,
                                           const std::string& namePattern, bool subdirectories) {
  DirectoryListing listing;
  std::vector<DirectoryEntry> entries;
  listing.incomplete = readWholeDirectory(directory, entries) == Reading::inPart;
  for (DirectoryEntry& entry : entries) {
    if (wildcardMatch(namePattern, entry.name)) listing.matches.push_back(entry);
    if (subdirectories && entry.directory && entry.name != "." && entry.name != "..") {
      listing.subdirectories.push_back(std::move(entry));
    }
  }
  return listing;
}

bool HostDirectoryLister::identity(const std::string& path, DirectoryIdentity& identity) {
  int directory = threadDirectory().fd(path);
  struct stat info;
  if (directory < 0 || fstat(directory, &info) != 0) return false;
  identity.device = static_cast<std::uint64_t>(info.st_dev);
  identity.inode = static_cast<std::uint64_t>(info.st_ino);
  return true;
}
