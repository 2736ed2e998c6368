#include "platform/held_directory_posix.h"

#include <cerrno>

DIR* HeldDirectory::hold(const std::string& directory) {
  if (stream_ != nullptr && directory == path_) return stream_;
  release();
  stream_ = opendir(directory.empty() ? "." : directory.c_str());
  int error = errno;  // why it failed, kept for the caller
  path_ = directory;
  errno = error;
  return stream_;
}

int HeldDirectory::fd(const std::string& directory) {
  DIR* stream = hold(directory);
  return stream != nullptr ? dirfd(stream) : -1;
}

DIR* HeldDirectory::toList(const std::string& directory) {
  DIR* stream = hold(directory);
  if (stream == nullptr) return nullptr;
  if (listed_) rewinddir(stream);
  listed_ = true;
  return stream;
}

void HeldDirectory::release() {
  if (stream_ != nullptr) closedir(stream_);
  stream_ = nullptr;
  path_.clear();
  listed_ = false;
}

HeldDirectory& threadDirectory() {
  // Each thread holds its own: a cache of the platform layer, closed when the thread ends.
  thread_local HeldDirectory held;
  return held;
}
