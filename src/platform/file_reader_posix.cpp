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

void readAllBytes(OpenFile& file, ByteBuffer& buffer) {
  int fd = static_cast<int>(file.handle);
  buffer.size = 0;
  // One read of the whole file, asking for a byte more than its size: a short read is its end.
  // A file that grew since it was opened fills the request, and is then read on to its end.
  std::size_t want = static_cast<std::size_t>(file.expectedSize) + 1;
  for (;;) {
    reserveBytes(buffer, buffer.size + want);
    std::size_t room = buffer.capacity - buffer.size;
    ssize_t got = read(fd, buffer.data.get() + buffer.size, room);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    buffer.size += static_cast<std::size_t>(got);
    if (static_cast<std::size_t>(got) < room) break;
    want = 1 << 16;
  }
}

void closeFile(OpenFile& file) {
  if (file.handle < 0) return;
  close(static_cast<int>(file.handle));
  file.handle = -1;
}
