// The case runner on POSIX: trees staged with POSIX calls, skern started with an argument vector.
#include <fcntl.h>
#include <linux/capability.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "e2e/case_host.h"

const char* const kHost = "posix";
const char kSeparator = '/';

std::string skernExecutable() {
  const char* override = std::getenv("SKERN_UNDER_TEST");
  return override != nullptr ? override : SKERN_EXECUTABLE;
}

// Every root is 64 bytes long, so that a case can build a path of an exact length.
std::string makeFolder() {
  std::string name = "/tmp/skern-e2e-" + std::string(43, '_') + "XXXXXX";
  if (mkdtemp(name.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  return name;
}

// rm removes paths of any length and depth; no case leaves an unreadable directory.
void removeFolder(const std::string& root) {
  if (std::system(("rm -rf '" + root + "'").c_str()) != 0) return;
}

// Directories are created one component at a time, relative to the one before, so that a path
// longer than the system allows can still be staged.
bool stageEntry(const std::string& root, const std::string& kind, const std::string& path,
                const std::string& bytes, long long offset) {
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
  const char* name = path.c_str() + start;
  bool ok = false;
  if (kind == "file" || kind == "locked" || kind == "patch" || kind == "sparse") {
    int flags = kind == "patch" ? O_WRONLY : O_WRONLY | O_CREAT | O_TRUNC;
    int fd = openat(dir, name, flags, kind == "locked" ? 0 : 0644);
    struct stat info;
    if (kind == "sparse") {  // truncated to its size, no more than a few blocks on disk
      ok = fd >= 0 && ftruncate(fd, std::stoll(bytes)) == 0 && fstat(fd, &info) == 0 &&
           info.st_blocks < 1024;
    } else {
      ok = fd >= 0 &&
           pwrite(fd, bytes.data(), bytes.size(), offset) == static_cast<ssize_t>(bytes.size());
    }
    if (fd >= 0) close(fd);
  } else if (kind == "dir") {
    ok = mkdirat(dir, name, 0755) == 0;
  } else if (kind == "fifo") {
    ok = mkfifoat(dir, name, 0644) == 0;
  } else if (kind == "link") {
    ok = symlinkat(bytes.c_str(), dir, name) == 0;
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

// Sets one resource limit of the process to `value`.
static void limit(int resource, rlim_t value) {
  rlimit now{};
  getrlimit(resource, &now);
  now.rlim_cur = value;
  if (setrlimit(resource, &now) != 0) _exit(125);
}

RunResult runLine(const std::string& root, const std::string& line,
                  std::string (*expand)(const std::string&), const RunLimits& limits) {
  std::vector<std::string> arguments = {skernExecutable()};
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
  std::vector<char*> argv;
  for (std::size_t i = 1; i < arguments.size(); ++i) arguments[i] = expand(arguments[i]);
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);

  int outPipe[2], errPipe[2];
  if (pipe(outPipe) != 0 || pipe(errPipe) != 0) throw std::runtime_error("pipe failed");
  pid_t child = fork();
  if (child == 0) {
    setsid();  // no controlling terminal
    // Without the power to read any file whatever its mode, root too meets unreadable files.
    prctl(PR_CAPBSET_DROP, CAP_DAC_OVERRIDE, 0, 0, 0);
    prctl(PR_CAPBSET_DROP, CAP_DAC_READ_SEARCH, 0, 0, 0);
    dup2(open("/dev/null", O_RDONLY), 0);
    dup2(limits.fullOutput ? open("/dev/full", O_WRONLY) : outPipe[1], 1);
    dup2(errPipe[1], 2);
    close_range(3, ~0u, 0);  // skern starts with the three standard streams only
    if (limits.openFiles > 0) limit(RLIMIT_NOFILE, static_cast<rlim_t>(limits.openFiles));
    if (limits.memoryMiB > 0) limit(RLIMIT_AS, static_cast<rlim_t>(limits.memoryMiB) << 20);
    if (chdir(root.c_str()) != 0) _exit(126);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(outPipe[1]);
  close(errPipe[1]);
  RunResult result;
  pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
  std::string* sinks[2] = {&result.out, &result.err};
  for (int open = 2; open > 0;) {
    if (poll(fds, 2, -1) < 0) continue;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      char buffer[65536];
      ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
      if (got > 0) {
        sinks[i]->append(buffer, static_cast<std::size_t>(got));
      } else {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open;
      }
    }
  }
  int status = 0;
  waitpid(child, &status, 0);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return result;
}
