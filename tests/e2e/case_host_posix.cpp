// The case runner on POSIX: skern started with an argument vector, in a session of its own.
#include <fcntl.h>
#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "e2e/case_host.h"

const char kSeparator = '/';

// Every root is 64 bytes long, so that a case can build a path of an exact length.
std::string makeFolder() {
  std::string name = "/tmp/skern-e2e-" + std::string(43, '_') + "XXXXXX";
  if (mkdtemp(name.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  return name;
}

// Sets one resource limit of the process to `value`.
static void limit(int resource, rlim_t value) {
  rlimit both{value, value};
  if (setrlimit(resource, &both) != 0) _exit(125);
}

// A folder of mode 000 cannot be listed by skern, also as root (see runLine).
bool stageSpecial(const std::string& kind, const std::string& path) {
  if (kind != "unlisted") return kind == "fifo" && mkfifo(path.c_str(), 0644) == 0;
  undoStaging.push_back([full = std::filesystem::absolute(path)] { chmod(full.c_str(), 0755); });
  return chmod(path.c_str(), 0) == 0;
}

int runLine(const std::string& program, const std::string& root, const std::string& line,
            const std::string& out, const RunLimits& limits) {
  std::vector<std::string> arguments = {program};
  bool quoted = false, inToken = false;
  for (char c : line) {  // split at blanks outside quotes, the quotes removed
    bool blank = !quoted && (c == ' ' || c == '\t');
    if (!blank && !inToken) arguments.emplace_back();
    if (!blank && c != '"') arguments.back() += c;
    quoted ^= c == '"';
    inToken = !blank;
  }
  std::vector<char*> argv(arguments.size() + 1);  // ending with a null
  for (std::size_t i = 0; i < arguments.size(); ++i)
    argv[i] = (arguments[i] = i == 0 ? program : expand(arguments[i])).data();
  int master = !limits.terminal.empty() ? posix_openpt(O_RDWR | O_NOCTTY) : -1;
  if (!limits.terminal.empty() && (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0))
    throw std::runtime_error("no pseudo-terminal");
  const std::string terminal = master >= 0 ? ptsname(master) : "";
  const pid_t runner = getpid();
  pid_t child = fork();
  if (child == 0) {
    setsid();                             // no controlling terminal
    prctl(PR_SET_PDEATHSIG, SIGKILL);     // and no life beyond the runner's (a hang ends with it),
    if (getppid() != runner) _exit(125);  // also if it ended before the line above
    // Without the power to read any file whatever its mode, root too meets unreadable files.
    for (int power : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH})
      prctl(PR_CAPBSET_DROP, power, 0, 0, 0);
    const std::string to = master >= 0 ? "/dev/null" : limits.fullOutput ? "/dev/full" : out;
    dup2(open("/dev/null", O_RDONLY), 0);
    dup2(open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
    dup2(open((root + ".err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
    if (master >= 0) {  // the session's controlling terminal, which writes the bytes as they are
      int t = open(terminal.c_str(), O_RDWR);
      termios modes;
      if (t < 0 || tcgetattr(t, &modes) != 0) _exit(125);
      modes.c_oflag &= ~static_cast<tcflag_t>(OPOST);
      tcsetattr(t, TCSANOW, &modes);
      for (int stream : {1, 2}) dup2(t, stream);
      setenv("TERM", "xterm", 1);
      unsetenv("NO_COLOR");
      putenv(const_cast<char*>(limits.terminal.c_str()));
    }
    if (!limits.environment.empty()) putenv(const_cast<char*>(limits.environment.c_str()));
    close_range(3, ~0u, 0);                 // skern starts with the three standard streams only
    limit(RLIMIT_FSIZE, rlim_t{64} << 20);  // a run that writes without end stops at 64 MiB
    if (limits.openFiles > 0) limit(RLIMIT_NOFILE, static_cast<rlim_t>(limits.openFiles));
    if (limits.memoryMiB > 0) limit(RLIMIT_AS, static_cast<rlim_t>(limits.memoryMiB) << 20);
    if (chdir(root.c_str()) != 0) _exit(126);
    execv(argv[0], argv.data());
    _exit(127);
  }
  if (master >= 0) {  // what reaches the terminal, until skern's end closes its other side
    std::ofstream copy(out, std::ios::binary);
    char bytes[4096];
    for (ssize_t got; (got = read(master, bytes, sizeof bytes)) > 0;) copy.write(bytes, got);
    close(master);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
