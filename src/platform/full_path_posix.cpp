#include <limits.h>

#include <vector>

#include "platform/current_directory.h"
#include "platform/full_path.h"

namespace {

// Resolves "." and ".." components and repeated slashes of an absolute path, without looking
// at the file system: "/a/./b//../c" becomes "/a/c", and ".." at the root stays at the root.
std::string normalized(const std::string& path) {
  std::vector<std::string> parts;
  std::size_t i = 0;
  while (i < path.size()) {
    while (i < path.size() && path[i] == '/') ++i;
    std::size_t end = path.find('/', i);
    if (end == std::string::npos) end = path.size();
    std::string part = path.substr(i, end - i);
    i = end;
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    parts.push_back(std::move(part));
  }
  std::string result;
  for (const std::string& part : parts) result += "/" + part;
  return result.empty() ? "/" : result;
}

}  // namespace

bool fullPath(const std::string& path, std::string& full) {
  if (path.empty()) return false;
  std::string joined = path;
  if (path[0] != '/') {
    std::string cwd = currentDirectory();
    if (cwd.empty()) return false;
    joined = cwd + "/" + path;
  }
  std::string result = normalized(joined);
  if (result.size() >= PATH_MAX) return false;
  full = std::move(result);
  return true;
}
