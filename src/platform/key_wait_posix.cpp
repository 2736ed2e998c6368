#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cstddef>

#include "platform/key_wait.h"

namespace {

// The terminal and its settings from before the wait, for the signal handler to restore.
int ttyFd = -1;
struct termios savedMode;

const int kEndingSignals[] = {SIGHUP, SIGINT, SIGQUIT, SIGTERM};

// Puts the terminal back as it was, then lets the signal take its default course.
void restoreAndReraise(int signalNumber) {
  tcsetattr(ttyFd, TCSANOW, &savedMode);
  signal(signalNumber, SIG_DFL);
  raise(signalNumber);
}

// Reads and drops whatever else the key sent (the rest of an escape sequence).
void discardPendingInput(int fd) {
  int flags = fcntl(fd, F_GETFL);
  if (flags == -1 || fcntl(fd, F_SETFL, flags | O_NONBLOCK) == -1) return;
  char rest[64];
  while (read(fd, rest, sizeof rest) > 0) {
  }
  fcntl(fd, F_SETFL, flags);
}

}  // namespace

void waitForKeyPress() {
  int fd = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return;
  if (tcgetattr(fd, &savedMode) != 0) {
    close(fd);
    return;
  }
  ttyFd = fd;
  struct sigaction restore = {};
  restore.sa_handler = restoreAndReraise;
  sigemptyset(&restore.sa_mask);
  struct sigaction previous[sizeof kEndingSignals / sizeof kEndingSignals[0]];
  for (std::size_t i = 0; i < sizeof kEndingSignals / sizeof kEndingSignals[0]; ++i) {
    // A signal that skern was started with ignored (nohup, a background job) stays ignored.
    sigaction(kEndingSignals[i], nullptr, &previous[i]);
    if (previous[i].sa_handler != SIG_IGN) sigaction(kEndingSignals[i], &restore, nullptr);
  }

  struct termios raw = savedMode;
  raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ISIG);
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  if (tcsetattr(fd, TCSANOW, &raw) == 0) {
    char key;
    ssize_t got;
    do {
      got = read(fd, &key, 1);
    } while (got < 0 && errno == EINTR);
    if (got > 0) discardPendingInput(fd);
    tcsetattr(fd, TCSANOW, &savedMode);
  }

  for (std::size_t i = 0; i < sizeof kEndingSignals / sizeof kEndingSignals[0]; ++i) {
    sigaction(kEndingSignals[i], &previous[i], nullptr);
  }
  ttyFd = -1;
  close(fd);
}
