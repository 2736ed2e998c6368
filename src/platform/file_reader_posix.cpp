#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_reader.h"

bool openForReading(const std::string& path, OpenFile& file) {
  // O_NONBLOCK keeps a FIFO that slipped through the listing from blocking the open; it is
  // cleared again so that reads behave as usual.
  int fd = open(path.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info;
  if (fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
    close(fd);
    return false;
  }
  int flags = fcntl(fd, F_GETFL);
  if (flags != -1) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  file.handle = fd;
  return true;
}

void readAllBytes(OpenFile& file, ByteBuffer& buffer) {
  int fd = static_cast<int>(file.handle);
  buffer.size = 0;
  struct stat info;
  std::size_t expected = 0;
  if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0) {
    expected = static_cast<std::size_t>(info.st_size);
  }
  // One read of the whole file where its size is known, then reads until the end, so that a
  // file that grew since it was opened is read to its end as well.
  std::size_t want = expected + 1;
  for (;;) {
    reserveBytes(buffer, buffer.size + want);
    ssize_t got = read(fd, buffer.data.get() + buffer.size, buffer.capacity - buffer.size);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    buffer.size += static_cast<std::size_t>(got);
    want = 1 << 16;
  }
}

void closeFile(OpenFile& file) {
  if (file.handle < 0) return;
  close(static_cast<int>(file.handle));
  file.handle = -1;
}
