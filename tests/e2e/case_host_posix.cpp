// The case runner on POSIX: trees staged with POSIX calls, skern started with an argument vector.
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "e2e/case_host.h"

const char* const kHost = "posix";
const char kSeparator = '/';

// Directories are created one component at a time, relative to the one before, so that a path
// longer than the system allows can still be staged.
bool stageEntry(const std::string& root, const std::string& kind, const std::string& path,
                const std::string& bytes) {
  int dir = open(root.c_str(), O_RDONLY | O_DIRECTORY);
  std::size_t start = 0;
  for (std::size_t slash; dir >= 0 && (slash = path.find('/', start)) != std::string::npos;
       start = slash + 1) {
    std::string component = path.substr(start, slash - start);
    mkdirat(dir, component.c_str(), 0755);
    int next = openat(dir, component.c_str(), O_RDONLY | O_DIRECTORY);
    close(dir);
    dir = next;
  }
  if (dir < 0) return false;
  std::string name = path.substr(start);
  bool ok = false;
  if (kind == "file" || kind == "locked") {
    int fd = openat(dir, name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, kind == "file" ? 0644 : 0);
    ok = fd >= 0 && write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    if (fd >= 0) close(fd);
  } else if (kind == "dir") {
    ok = mkdirat(dir, name.c_str(), 0755) == 0;
  } else if (kind == "fifo") {
    ok = mkfifoat(dir, name.c_str(), 0644) == 0;
  } else if (kind == "link") {
    ok = symlinkat(bytes.c_str(), dir, name.c_str()) == 0;
  } else if (kind == "socket") {
    std::string full = root + "/" + path;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    std::memcpy(address.sun_path, full.c_str(), std::min(full.size() + 1, sizeof address.sun_path));
    ok = fd >= 0 && full.size() < sizeof address.sun_path &&
         bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    if (fd >= 0) close(fd);
  }
  close(dir);
  return ok;
}

RunResult runLine(const std::string& root, const std::string& line,
                  std::string (*expand)(const std::string&), long openFileLimit) {
  std::vector<std::string> arguments;
  bool quoted = false, inToken = false;
  for (char c : line) {
    if (!quoted && (c == ' ' || c == '\t')) {
      inToken = false;
      continue;
    }
    if (!inToken) arguments.emplace_back();
    inToken = true;
    if (c == '"') {
      quoted = !quoted;
    } else {
      arguments.back() += c;
    }
  }
  for (std::string& argument : arguments) argument = expand(argument);
  return runSkern(arguments, root, true, openFileLimit);
}
