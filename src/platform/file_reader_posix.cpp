#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_reader.h"

bool openForReading(const std::string& path, OpenFile& file) {
  // O_NONBLOCK keeps a FIFO or device that took a listed file's place from blocking the open;
  // it changes nothing for a regular file, the only kind that is read.
  int fd = open(path.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
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
