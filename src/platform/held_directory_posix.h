// A directory held open on POSIX: it is listed, identified and its files are opened through
// one descriptor, so that the system walks its path only once.
#pragma once

#include <dirent.h>

#include <string>

/// One directory held open at a time; the one held before is closed when another is asked for.
class HeldDirectory {
 public:
  HeldDirectory() = default;
  ~HeldDirectory() { release(); }
  HeldDirectory(const HeldDirectory&) = delete;
  HeldDirectory& operator=(const HeldDirectory&) = delete;

  /// The descriptor of `directory` ("" for the current one, else ending in a separator),
  /// opened unless it is the one held. -1 when it cannot be opened.
  int fd(const std::string& directory);
  /// The stream of `directory`, as `fd` opens it, positioned at its first entry. Null, with
  /// `errno` telling why, when it cannot be opened.
  DIR* toList(const std::string& directory);
  /// Closes the directory held.
  void release();

 private:
  DIR* hold(const std::string& directory);

  std::string path_;
  DIR* stream_ = nullptr;
  bool listed_ = false;  // the stream has been read since it was opened
};

/// The directory this thread holds: the walk lists and identifies it, and the reader of the
/// same thread opens its files through it, so a directory is opened once for both (relative
/// names mean other directories once the current one changes: it is released then).
HeldDirectory& threadDirectory();
