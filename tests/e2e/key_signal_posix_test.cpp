// The terminal is restored after -k also when the wait is ended by a signal. skern runs as the
// leader of a session whose controlling terminal is a pseudo-terminal; once it waits for its
// key, it gets the signal, and the terminal's modes must be as they were before the run.
//
// The moment skern has switched the terminal for its key is seen without any sleep: the
// terminal is in packet mode with external processing on, so that every change of its modes
// is announced on the master side.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <ostream>
#include <string>

#include "e2e/harness.h"
#include "e2e/pseudo_terminal.h"

namespace {

// Reads the master side until `prompt` has been written and a change of the terminal's modes
// has been announced (skern changes them only for its wait, after the prompt; the master may
// report the change before the prompt's bytes). False when that does not happen within
// `seconds`.
bool waitForPromptAndModeChange(int master, const std::string& prompt, int seconds,
                                std::string& seen) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  bool changed = false;
  while (!changed || seen.find(prompt) == std::string::npos) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd fd = {master, POLLIN, 0};
    if (poll(&fd, 1, static_cast<int>(left.count())) <= 0) continue;
    char buffer[4096];
    ssize_t got = read(master, buffer, sizeof buffer);
    if (got <= 0) return false;
    if (buffer[0] == TIOCPKT_DATA) {
      seen.append(buffer + 1, static_cast<std::size_t>(got - 1));
    } else if ((buffer[0] & TIOCPKT_IOCTL) != 0) {
      changed = true;
    }
  }
  return true;
}

// One run: the signal sent during the wait, and whether skern was started with it ignored.
struct SignalCase {
  int signalNumber;
  bool ignoredAtStart;
};

void PrintTo(const SignalCase& c, std::ostream* out) {
  *out << sigabbrev_np(c.signalNumber) << (c.ignoredAtStart ? ", ignored at start" : "");
}

class KeySignal : public ::testing::TestWithParam<SignalCase> {};

TEST_P(KeySignal, TerminalIsRestored) {
  const SignalCase c = GetParam();
  TempTree tree;
  tree.write("a.txt", "stuff\n");

  PseudoTerminal pty;
  ASSERT_TRUE(openPseudoTerminal(pty));
  const int master = pty.master;
  const int slave = pty.slave;
  termios before;
  ASSERT_EQ(tcgetattr(slave, &before), 0);
  before.c_lflag |= EXTPROC;
  ASSERT_EQ(tcsetattr(slave, TCSANOW, &before), 0);
  ASSERT_EQ(tcgetattr(slave, &before), 0);
  int packet = 1;
  ASSERT_EQ(ioctl(master, TIOCPKT, &packet), 0);

  std::string program = skernExecutable();
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    int terminal = takeTerminal(pty.slavePath);
    dup2(terminal, 0);
    dup2(terminal, 1);
    dup2(terminal, 2);
    if (c.ignoredAtStart) signal(c.signalNumber, SIG_IGN);
    runWaitingSkern(program, tree.root());
  }

  std::string seen;
  bool waiting = waitForPromptAndModeChange(master, "(press a key)", 30, seen);
  EXPECT_TRUE(waiting) << seen;
  kill(child, c.signalNumber);
  // An ignored signal leaves skern waiting: a key then ends the run as usual. The signal was
  // sent first, so a handler would have run before the key is read.
  if (c.ignoredAtStart) {
    EXPECT_EQ(write(master, "x", 1), 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  if (waiting && c.ignoredAtStart) {
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  } else if (waiting) {
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == c.signalNumber) << status;
  }
  EXPECT_NE(seen.find("stuff"), std::string::npos);

  termios after;
  ASSERT_EQ(tcgetattr(slave, &after), 0);
  EXPECT_TRUE(sameMode(before, after))
      << std::hex << "lflag before " << before.c_lflag << " after " << after.c_lflag;
  closePseudoTerminal(pty);
}

INSTANTIATE_TEST_SUITE_P(EndingSignals, KeySignal,
                         ::testing::Values(SignalCase{SIGINT, false}, SignalCase{SIGTERM, false},
                                           SignalCase{SIGHUP, false}, SignalCase{SIGHUP, true}),
                         [](const ::testing::TestParamInfo<SignalCase>& info) {
                           return std::string(sigabbrev_np(info.param.signalNumber)) +
                                  (info.param.ignoredAtStart ? "IgnoredAtStart" : "");
                         });

}  // namespace
