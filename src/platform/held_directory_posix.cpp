#include "platform/held_directory_posix.h"

namespace {

// Each thread holds its own directory: the walk the one it lists, a scan the one it opens in.
thread_local std::string heldPath;
thread_local DIR* heldStream = nullptr;
thread_local bool heldListed = false;  // the stream has been read since it was opened

DIR* hold(const std::string& directory) {
  if (heldStream != nullptr && directory == heldPath) return heldStream;
  if (heldStream != nullptr) closedir(heldStream);
  heldStream = opendir(directory.empty() ? "." : directory.c_str());
  heldPath = directory;
  heldListed = false;
  return heldStream;
}

}  // namespace

int heldDirectoryFd(const std::string& directory) {
  DIR* stream = hold(directory);
  return stream != nullptr ? dirfd(stream) : -1;
}

DIR* heldDirectoryToList(const std::string& directory) {
  DIR* stream = hold(directory);
  if (stream == nullptr) return nullptr;
  if (heldListed) rewinddir(stream);
  heldListed = true;
  return stream;
}

void releaseHeldDirectory() {
  if (heldStream != nullptr) closedir(heldStream);
  heldStream = nullptr;
  heldPath.clear();
  heldListed = false;
}
