#include <limits.h>
#include <unistd.h>

#include <vector>

#include "platform/current_directory.h"

std::string currentDirectory() {
  std::vector<char> buffer(PATH_MAX);
  if (getcwd(buffer.data(), buffer.size()) == nullptr) return "";
  return buffer.data();
}

bool setCurrentDirectory(const std::string& path) {
  return chdir(path.c_str()) == 0;
}
