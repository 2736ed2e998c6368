#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_reader.h"

namespace {

// The directory of the last file opened, held open: the files of one directory are opened one
// after the other, and opening each by its name in the held directory spares the system a walk
// along the whole path every time.
std::string heldDirectory;
int heldDirectoryFd = -1;

// The held descriptor of `directory`, opened first unless it is the one held; -1 when it
// cannot be opened.
int directoryFor(const std::string& directory) {
  if (directory != heldDirectory || heldDirectoryFd < 0) {
    if (heldDirectoryFd >= 0) close(heldDirectoryFd);
    heldDirectoryFd = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    heldDirectory = directory;
  }
  return heldDirectoryFd;
}

}  // namespace

bool openForReading(const std::string& path, OpenFile& file) {
  // O_NONBLOCK keeps a FIFO or device that took a listed file's place from blocking the open;
  // it changes nothing for a regular file, the only kind that is read.
  const int flags = O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC;
  std::size_t slash = path.rfind('/');
  int fd = -1;
  if (slash == std::string::npos || slash == 0) {
    fd = open(path.c_str(), flags);
  } else {
    int directory = directoryFor(path.substr(0, slash + 1));
    fd = directory >= 0 ? openat(directory, path.c_str() + slash + 1, flags)
                        : open(path.c_str(), flags);
  }
  if (fd < 0) return false;
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return false;
  }
  file.handle = fd;
  file.expectedSize = static_cast<long long>(info.st_size);
  return true;
}

long long readSomeBytes(OpenFile& file, char* into, std::size_t most) {
  for (;;) {
    ssize_t got = read(static_cast<int>(file.handle), into, most);
    if (got >= 0 || errno != EINTR) return got;
  }
}

bool rewindFile(OpenFile& file) {
  return lseek(static_cast<int>(file.handle), 0, SEEK_SET) == 0;
}

void closeFile(OpenFile& file) {
  if (file.handle < 0) return;
  close(static_cast<int>(file.handle));
  file.handle = -1;
}
