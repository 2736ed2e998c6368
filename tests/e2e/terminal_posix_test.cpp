// skern with standard output and error on a pseudo-terminal: hits in colour unless the
// environment refuses it, and the progress count wiped before the hits and at the end.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

// What skern writes to the terminal for `arguments` in `folder`, with TERM=xterm and no
// NO_COLOR but for what `environment` ("NAME=VALUE", or "") sets; `status` its exit status.
std::string onTerminal(const std::string& folder, const char* environment,
                       std::vector<const char*> arguments, int& status) {
  int master = posix_openpt(O_RDWR | O_NOCTTY);
  if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return "no terminal";
  std::string slavePath = ptsname(master);
  const char* program = SKERN_EXECUTABLE;
  arguments.insert(arguments.begin(), program);
  arguments.push_back(nullptr);
  pid_t child = fork();
  if (child == 0) {
    setsid();
    int terminal = open(slavePath.c_str(), O_RDWR);
    termios modes;
    if (terminal < 0 || tcgetattr(terminal, &modes) != 0) _exit(125);
    modes.c_oflag &= ~static_cast<tcflag_t>(OPOST);  // the bytes as written, no CR before LF
    tcsetattr(terminal, TCSANOW, &modes);
    dup2(open("/dev/null", O_RDONLY), 0);
    dup2(terminal, 1);
    dup2(terminal, 2);
    if (chdir(folder.c_str()) != 0) _exit(125);
    setenv("TERM", "xterm", 1);
    unsetenv("NO_COLOR");
    if (*environment != '\0') putenv(const_cast<char*>(environment));
    execv(program, const_cast<char* const*>(arguments.data()));
    _exit(127);
  }
  // Everything written, until the last descriptor of the terminal is closed with skern.
  std::string seen;
  for (;;) {
    pollfd fd = {master, POLLIN, 0};
    char buffer[4096];
    ssize_t got = poll(&fd, 1, 30000) == 1 ? read(master, buffer, sizeof buffer) : -1;
    if (got <= 0) break;
    seen.append(buffer, static_cast<std::size_t>(got));
  }
  waitpid(child, &status, 0);
  status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  close(master);
  return seen;
}

TEST(Terminal, ColoursAndTheProgressCount) {
  namespace fs = std::filesystem;
  char made[] = "/tmp/skern-terminal-XXXXXX";
  ASSERT_NE(mkdtemp(made), nullptr);
  char full[PATH_MAX];
  ASSERT_NE(realpath(made, full), nullptr);
  const std::string folder = full;
  std::ofstream(folder + "/a.txt") << "x stuff bongo y stuff\n";
  std::ofstream(folder + "/c.txt") << "  дддд файл\n";
  fs::create_directory(folder + "/many");
  for (int i = 0; i < 300; ++i) std::ofstream(folder + "/many/n" + std::to_string(i)) << "none\n";
  std::ofstream(folder + "/many/zz") << "zqx\n";

  const std::string header = "\n\x1b[35m::::::::: " + folder;
  const std::string plain = "\n::::::::: " + folder + "/a.txt\n 1:x stuff bongo y stuff\n";
  const std::string coloured = header + "/a.txt\x1b[0m\n \x1b[32m1\x1b[0m:x \x1b[1;31mstuff" +
                               "\x1b[0m \x1b[1;31mbongo\x1b[0m y stuff\n";
  const std::string wiped = "skern:256\r\r         \r";
  const struct {
    const char* environment;
    std::vector<const char*> arguments;
    std::string shown;
    int status;
  } rows[] = {
      // The first term's occurrence that made the hit and the alternatives found; the number
      // and the header in colours of their own.
      {"", {"-n", "stuff&bingo|bongo", "a.txt"}, coloured, 0},
      {"NO_COLOR=", {"-n", "stuff&bingo|bongo", "a.txt"}, coloured, 0},
      {"NO_COLOR=1", {"-n", "stuff&bingo|bongo", "a.txt"}, plain, 0},
      {"TERM=dumb", {"-n", "stuff&bingo|bongo", "a.txt"}, plain, 0},
      {"",
       {"-c-", "-n", "stuff&bongo", "a.txt"},
       header + "/a.txt\x1b[0m\n  \x1b[32m1\x1b[0m:x \x1b[1;31mstuff\x1b[0m \x1b[1;31mbongo" +
           "\x1b[0m y stuff\n",
       0},
      // Escapes take no column; a mark that wraps is closed before the line end and opened
      // again after the two blanks.
      {"",
       {"-r7", "файл", "c.txt"},
       header + "/c.txt\x1b[0m\n дддд \x1b[1;31mфа\x1b[0m\n  \x1b[1;31mйл\x1b[0m\n",
       0},
      // The count is wiped before the first hit, and at the end of a run that found nothing.
      {"", {"zqx", "many/*"}, wiped + header + "/many/zz\x1b[0m\n \x1b[1;31mzqx\x1b[0m\n", 0},
      {"", {"nothing", "many/*"}, wiped, 1},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.environment) + " " + row.arguments[row.arguments.size() - 2]);
    int status = -1;
    EXPECT_EQ(onTerminal(folder, row.environment, row.arguments, status), row.shown);
    EXPECT_EQ(status, row.status);
  }
  fs::remove_all(folder);
}

}  // namespace
