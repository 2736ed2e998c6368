#include "e2e/harness.h"

#include <fcntl.h>
#include <linux/capability.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

std::string skernExecutable() {
  if (const char* override = std::getenv("SKERN_UNDER_TEST")) return override;
  return SKERN_EXECUTABLE;
}

// Every root is 64 bytes long, so that a case can build a path of an exact length.
TempTree::TempTree() {
  std::string templ = "/tmp/skern-e2e-" + std::string(43, '_') + "XXXXXX";
  if (mkdtemp(templ.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  root_ = templ;
}

// rm removes paths of any length and depth; the tree holds no unreadable directory.
TempTree::~TempTree() {
  if (std::system(("rm -rf '" + root_ + "'").c_str()) != 0) return;
}

RunResult runSkern(const std::vector<std::string>& arguments, const std::string& directory,
                   bool newSession, long openFileLimit) {
  int outPipe[2], errPipe[2];
  if (pipe(outPipe) != 0 || pipe(errPipe) != 0) throw std::runtime_error("pipe failed");
  std::string program = skernExecutable();
  std::vector<std::string> argvStrings = {program};
  argvStrings.insert(argvStrings.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& s : argvStrings) argv.push_back(s.data());
  argv.push_back(nullptr);

  pid_t child = fork();
  if (child == 0) {
    if (newSession) setsid();
    // Without the power to read any file whatever its mode, root too meets unreadable files.
    prctl(PR_CAPBSET_DROP, CAP_DAC_OVERRIDE, 0, 0, 0);
    prctl(PR_CAPBSET_DROP, CAP_DAC_READ_SEARCH, 0, 0, 0);
    int devNull = open("/dev/null", O_RDONLY);
    dup2(devNull, 0);
    dup2(outPipe[1], 1);
    dup2(errPipe[1], 2);
    // skern starts with standard input and output only, whatever this process holds open.
    close_range(3, ~0u, 0);
    if (openFileLimit > 0) {
      rlimit limit{};
      getrlimit(RLIMIT_NOFILE, &limit);
      limit.rlim_cur = static_cast<rlim_t>(openFileLimit);
      if (setrlimit(RLIMIT_NOFILE, &limit) != 0) _exit(125);
    }
    if (chdir(directory.c_str()) != 0) _exit(126);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  close(outPipe[1]);
  close(errPipe[1]);
  RunResult result;
  pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
  std::string* sinks[2] = {&result.out, &result.err};
  int open = 2;
  while (open > 0) {
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
