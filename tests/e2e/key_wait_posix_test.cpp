// skern -k on a real pseudo-terminal: one key ends the wait, and the terminal is left as it was.
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

#include "e2e/harness.h"
#include "e2e/pseudo_terminal.h"

namespace {

const int kPatienceMs = 10000;  // a bound for a hung child, never reached when all is well

// Reads from `fd` until `wanted` has been seen (or, with an empty `wanted`, until end of file).
// False when nothing more arrives within the patience bound.
bool readUntil(int fd, const std::string& wanted, std::string& seen) {
  while (wanted.empty() || seen.find(wanted) == std::string::npos) {
    pollfd p = {fd, POLLIN, 0};
    if (poll(&p, 1, kPatienceMs) <= 0) return false;
    char buffer[256];
    ssize_t got = read(fd, buffer, sizeof buffer);
    if (got <= 0) return wanted.empty();
    seen.append(buffer, static_cast<std::size_t>(got));
  }
  return true;
}

// Runs skern -k in a session whose controlling terminal is a fresh pseudo-terminal, answers the
// prompt with `key`, and checks the exit status, the terminal mode and the input left over.
void pressKey(const std::string& key) {
  TempTree tree;
  tree.write("a.txt", "nothing to see\n");

  PseudoTerminal terminal;
  ASSERT_TRUE(openPseudoTerminal(terminal));
  const int master = terminal.master;
  const int slave = terminal.slave;

  // A mode with unusual timing values, so that a partial restore shows.
  termios before;
  ASSERT_EQ(tcgetattr(slave, &before), 0);
  before.c_cc[VMIN] = 5;
  before.c_cc[VTIME] = 3;
  ASSERT_EQ(tcsetattr(slave, TCSANOW, &before), 0);
  ASSERT_EQ(tcgetattr(slave, &before), 0);

  int output[2];
  ASSERT_EQ(pipe(output), 0);
  std::string program = skernExecutable();
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(takeTerminal(terminal.slavePath));
    close(master);
    close(slave);
    int devNull = open("/dev/null", O_RDONLY);
    dup2(devNull, 0);  // the key must come from the terminal, not from standard input
    dup2(output[1], 1);
    dup2(output[1], 2);
    close(output[0]);
    close(output[1]);
    runWaitingSkern(program, tree.root());
  }
  close(output[1]);

  std::string seen;
  bool prompted = readUntil(output[0], "(press a key)", seen);
  if (prompted) {
    EXPECT_EQ(write(master, key.data(), key.size()), static_cast<ssize_t>(key.size()));
  }
  bool ended = prompted && readUntil(output[0], "", seen);
  if (!ended) kill(child, SIGKILL);
  int status = 0;
  waitpid(child, &status, 0);
  close(output[0]);

  EXPECT_TRUE(prompted) << "no prompt, got \"" << seen << "\"";
  EXPECT_TRUE(ended) << "skern did not end after the key";
  EXPECT_EQ(seen, "(press a key)");
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);

  termios after;
  ASSERT_EQ(tcgetattr(slave, &after), 0);
  EXPECT_TRUE(sameMode(before, after)) << "terminal mode not restored";
  // Out of canonical mode every byte still queued counts, complete line or not.
  termios raw = after;
  raw.c_lflag &= ~static_cast<tcflag_t>(ICANON);
  ASSERT_EQ(tcsetattr(slave, TCSANOW, &raw), 0);
  int left = -1;
  ASSERT_EQ(ioctl(slave, FIONREAD, &left), 0);
  EXPECT_EQ(left, 0) << "bytes of the key left unread";
  closePseudoTerminal(terminal);
}

TEST(KeyWait, OneKeyEndsTheWaitAndRestoresTheTerminal) {
  pressKey("x");
}

TEST(KeyWait, RestOfAMultiByteKeyIsDiscarded) {
  pressKey("\x1b[A");
}

}  // namespace
