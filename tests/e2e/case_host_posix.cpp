// The case runner on POSIX: trees staged with POSIX calls, skern started with an argument vector.
#include <fcntl.h>
#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "e2e/case_host.h"

const char* const kHost = "posix";
const char kSeparator = '/';

// Every root is 64 bytes long, so that a case can build a path of an exact length.
std::string makeFolder() {
  std::string name = "/tmp/skern-e2e-" + std::string(43, '_') + "XXXXXX";
  if (mkdtemp(name.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  return name;
}

// rm removes paths of any length and depth (and the run's output beside the folder).
void removeFolder(const std::string& root) {
  if (std::system(("rm -rf '" + root + "' '" + root + ".out' '" + root + ".err'").c_str())) return;
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
  const char* name = path.c_str() + start;
  int fd = -1;
  struct stat info;
  bool ok = dir >= 0;
  if (kind == "file" || kind == "locked" || kind == "sparse") {
    fd = openat(dir, name, O_WRONLY | O_CREAT | O_TRUNC, kind == "locked" ? 0 : 0644);
  } else if (kind == "patch") {
    fd = openat(dir, name, O_WRONLY);
  } else if (kind == "dir") {
    ok = ok && mkdirat(dir, name, 0755) == 0;
  } else if (kind == "fifo") {
    ok = ok && mkfifoat(dir, name, 0644) == 0;
  } else if (kind == "link") {
    ok = ok && symlinkat(bytes.c_str(), dir, name) == 0;
  } else if (kind == "socket") {
    sockaddr_un address{AF_UNIX, {}};
    std::string full = root + "/" + path;
    ok = ok && full.size() < sizeof address.sun_path && (fd = socket(AF_UNIX, SOCK_STREAM, 0)) >= 0;
    std::strncpy(address.sun_path, full.c_str(), sizeof address.sun_path - 1);
    ok = ok && bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  }
  if (kind == "sparse") {  // only its size: no more than a few blocks on disk
    ok = fd >= 0 && ftruncate(fd, std::stoll(bytes)) == 0 && fstat(fd, &info) == 0 &&
         info.st_blocks < 1024;
  } else if (kind == "file" || kind == "locked" || kind == "patch") {
    ok = fd >= 0 && pwrite(fd, bytes.data(), bytes.size(), offset) == ssize_t(bytes.size());
  }
  if (fd >= 0) close(fd);
  if (dir >= 0) close(dir);
  return ok;
}

// Sets one resource limit of the process to `value`.
static void limit(int resource, rlim_t value) {
  rlimit now{};
  getrlimit(resource, &now);
  now.rlim_cur = value;
  if (setrlimit(resource, &now) != 0) _exit(125);
}

// The whole of the file at `path`.
static std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

RunResult runLine(const std::string& root, const std::string& line,
                  std::string (*expand)(const std::string&), const RunLimits& limits) {
  std::vector<std::string> arguments = {SKERN_EXECUTABLE};
  bool quoted = false, inToken = false;
  for (char c : line) {  // arguments split at blanks outside quotes, the quotes removed
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
  for (std::string& argument : arguments) {
    if (!argv.empty()) argument = expand(argument);
    argv.push_back(argument.data());
  }
  argv.push_back(nullptr);
  pid_t child = fork();
  if (child == 0) {
    setsid();  // no controlling terminal
    // Without the power to read any file whatever its mode, root too meets unreadable files.
    prctl(PR_CAPBSET_DROP, CAP_DAC_OVERRIDE, 0, 0, 0);
    prctl(PR_CAPBSET_DROP, CAP_DAC_READ_SEARCH, 0, 0, 0);
    std::string out = limits.fullOutput ? "/dev/full" : root + ".out";
    dup2(open("/dev/null", O_RDONLY), 0);
    dup2(open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
    dup2(open((root + ".err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
    close_range(3, ~0u, 0);  // skern starts with the three standard streams only
    if (limits.openFiles > 0) limit(RLIMIT_NOFILE, static_cast<rlim_t>(limits.openFiles));
    if (limits.memoryMiB > 0) limit(RLIMIT_AS, static_cast<rlim_t>(limits.memoryMiB) << 20);
    if (chdir(root.c_str()) != 0) _exit(126);
    execv(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return {slurp(root + ".out"), slurp(root + ".err"),
          WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status)};
}
