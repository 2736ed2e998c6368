// Listing the entries of a directory that match a wildcard pattern.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

/// One entry as the directory search delivers it.
struct DirectoryEntry {
  std::string name;        ///< The entry's name, without any directory.
  bool hidden = false;     ///< Hidden from ordinary listings.
  bool system = false;     ///< A system entry (on POSIX: neither a regular file nor a directory).
  bool directory = false;  ///< A directory (after following links).
};

/// What one listing of a directory gives the walk.
struct DirectoryListing {
  std::vector<DirectoryEntry> matches;         ///< Entries whose names match the pattern.
  std::vector<DirectoryEntry> subdirectories;  ///< Every subdirectory but "." and "..".
  bool incomplete = false;  ///< The directory exists but its listing failed, at once or part way.
};

/// The entries of the directory that `pattern`'s directory part names whose names match its
/// file-name part (`*` and `?`, letters compared regardless of case), in the host's order,
/// and its subdirectories when `subdirectories` is set. Empty when the directory does not
/// exist; marked incomplete, with the entries read before, when it cannot be listed to its end.
DirectoryListing listDirectory(const std::string& pattern, bool subdirectories);

/// Identifies one directory on the host, so that a descent can tell a directory it is already in.
struct DirectoryIdentity {
  std::uint64_t device = 0;  ///< The file system's number.
  std::uint64_t inode = 0;   ///< The directory's number within it.
};

/// The identity of the directory at `path`; false where the host cannot tell (then no guard
/// against link loops is needed or possible).
bool directoryIdentity(const std::string& path, DirectoryIdentity& identity);
