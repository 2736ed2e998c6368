// Listing the entries of a directory that match a wildcard pattern, on the host or in a stand-in.
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

/// Identifies one directory on the host, so that a descent can tell a directory it is already in.
struct DirectoryIdentity {
  std::uint64_t device = 0;  ///< The file system's number.
  std::uint64_t inode = 0;   ///< The directory's number within it.
};

/// What the walk lists directories through: the host's, or a tree held in memory.
class DirectoryLister {
 public:
  virtual ~DirectoryLister() = default;
  /// The entries of `directory` ("" for the current one, else as a pattern's directory part
  /// ends) whose names match `namePattern` (`*` and `?`, letters compared regardless of case),
  /// in the host's order, and its subdirectories when `subdirectories` is set. Empty when the
  /// directory does not exist; marked incomplete, with the entries read before, when it
  /// cannot be listed to its end.
  virtual DirectoryListing list(const std::string& directory, const std::string& namePattern,
                                bool subdirectories) = 0;
  /// The identity of the directory at `path`; false where it cannot be told (then no guard
  /// against link loops is needed or possible).
  virtual bool identity(const std::string& path, DirectoryIdentity& identity) = 0;
};

/// The host's own directories.
class HostDirectoryLister final : public DirectoryLister {
 public:
  /// Lists `directory` on the host, as `DirectoryLister::list` says.
  DirectoryListing list(const std::string& directory, const std::string& namePattern,
                        bool subdirectories) override;
  /// The host's identity of the directory at `path`; never told on Windows, where the path
  /// length limit bounds a descent.
  bool identity(const std::string& path, DirectoryIdentity& identity) override;
};
