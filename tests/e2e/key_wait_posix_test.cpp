// skern -k on a pseudo-terminal: a key (all its bytes) or an ending signal ends the wait, the modes
// as before. Packet mode announces skern's switch of the modes: the key or signal follows it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cstring>
#include <string>

TEST(KeyWait, EndsAndRestoresTheTerminal) {
  const struct {
    const char* key;  // written once skern waits, or nullptr
    int signal;       // sent once skern waits, or 0
    bool ignored;     // the signal is ignored from the start
    int status;       // the exit status, or 128 + the signal that ended skern
  } rows[] = {{"\x1b[A", 0, false, 1},
              {nullptr, SIGINT, false, 128 + SIGINT},
              {nullptr, SIGHUP, false, 128 + SIGHUP},
              {"x", SIGHUP, true, 1}};
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.key ? row.key : "") + " signal " + std::to_string(row.signal));
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_TRUE(master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0);
    const std::string slavePath = ptsname(master);
    int slave = open(slavePath.c_str(), O_RDWR | O_NOCTTY);  // held, so the modes outlive skern
    termios before = termios(), after = termios();  // zeroed, padding too: compared as bytes
    ASSERT_EQ(tcgetattr(slave, &before), 0);
    before.c_lflag |= EXTPROC;
    before.c_cc[VMIN] = 5;  // unusual values, so that a partial restore shows
    before.c_cc[VTIME] = 3;
    ASSERT_EQ(tcsetattr(slave, TCSANOW, &before), 0);
    ASSERT_EQ(tcgetattr(slave, &before), 0);
    int packet = 1;
    ASSERT_EQ(ioctl(master, TIOCPKT, &packet), 0);
    pid_t child = fork();
    if (child == 0) {
      setsid();
      int terminal = open(slavePath.c_str(), O_RDWR);  // the session's controlling terminal
      if (terminal < 0) _exit(125);
      dup2(open("/dev/null", O_RDONLY), 0);  // the key must come from the terminal
      for (int stream : {1, 2}) dup2(terminal, stream);
      for (int ending : {SIGHUP, SIGINT, SIGTERM}) signal(ending, SIG_DFL);  // whatever came
      if (row.ignored) signal(row.signal, SIG_IGN);
      execl(SKERN_EXECUTABLE, SKERN_EXECUTABLE, "-k", "stuff", "/no/such/skern/file",
            static_cast<char*>(nullptr));
      _exit(127);
    }
    // The master side is read until the prompt has been written and a mode change announced.
    std::string seen;
    bool changed = false;
    auto waiting = [&] { return changed && seen.find("(press a key)") != std::string::npos; };
    while (!waiting()) {
      pollfd fd = {master, POLLIN, 0};
      char buffer[4096];
      ssize_t got = poll(&fd, 1, 30000) == 1 ? read(master, buffer, sizeof buffer) : 0;
      if (got <= 0) break;
      if (buffer[0] == TIOCPKT_DATA) seen.append(buffer + 1, static_cast<std::size_t>(got - 1));
      changed = changed || (buffer[0] & TIOCPKT_IOCTL) != 0;
    }
    EXPECT_TRUE(waiting()) << seen;
    if (row.signal != 0) kill(child, row.signal);
    const std::size_t keyBytes = row.key ? std::strlen(row.key) : 0;
    EXPECT_EQ(keyBytes == 0 ? 0 : write(master, row.key, keyBytes), ssize_t(keyBytes));
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), row.status);
    ASSERT_EQ(tcgetattr(slave, &after), 0);
    EXPECT_EQ(std::memcmp(&after, &before, sizeof after), 0);
    // Out of canonical mode every byte still queued counts, complete line or not.
    after.c_lflag &= ~static_cast<tcflag_t>(ICANON);
    ASSERT_EQ(tcsetattr(slave, TCSANOW, &after), 0);
    int left = -1;
    ASSERT_EQ(ioctl(slave, FIONREAD, &left), 0);
    EXPECT_EQ(left, 0) << "bytes of the key left unread";
    close(slave);
    close(master);
  }
}
