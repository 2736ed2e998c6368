#include <sys/stat.h>
#include <unistd.h>

#include "platform/output_identity.h"

OutputIdentity standardOutputIdentity() {
  OutputIdentity output;
  struct stat info;
  if (fstat(STDOUT_FILENO, &info) != 0 || !S_ISREG(info.st_mode)) return output;
  output.known = true;
  output.volume = static_cast<std::uint64_t>(info.st_dev);
  output.index = static_cast<std::uint64_t>(info.st_ino);
  return output;
}

bool isStandardOutput(const OpenFile& file, const OutputIdentity& output) {
  if (!output.known) return false;
  struct stat info;
  return fstat(static_cast<int>(file.handle), &info) == 0 &&
         static_cast<std::uint64_t>(info.st_dev) == output.volume &&
         static_cast<std::uint64_t>(info.st_ino) == output.index;
}
