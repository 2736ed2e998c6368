// Pseudo-terminals for the tests of skern's key wait (POSIX only).
#pragma once

#include <fcntl.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cstring>
#include <string>

/// A fresh pseudo-terminal; the test holds its slave side open, so that its modes outlive skern.
struct PseudoTerminal {
  int master = -1;        ///< The side the test writes keys to and reads from.
  int slave = -1;         ///< The terminal side, held open by the test.
  std::string slavePath;  ///< The terminal's device name.
};

/// Opens a new pseudo-terminal pair; false when the system gives none.
inline bool openPseudoTerminal(PseudoTerminal& terminal) {
  terminal.master = posix_openpt(O_RDWR | O_NOCTTY);
  if (terminal.master < 0 || grantpt(terminal.master) != 0 || unlockpt(terminal.master) != 0) {
    return false;
  }
  terminal.slavePath = ptsname(terminal.master);
  terminal.slave = open(terminal.slavePath.c_str(), O_RDWR | O_NOCTTY);
  return terminal.slave >= 0;
}

/// Closes both sides.
inline void closePseudoTerminal(PseudoTerminal& terminal) {
  close(terminal.slave);
  close(terminal.master);
}

/// True when two terminal modes agree in every flag and control character.
inline bool sameMode(const termios& a, const termios& b) {
  return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag &&
         a.c_lflag == b.c_lflag && std::memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0;
}

/// In a forked child: starts a session whose controlling terminal is `slavePath` and returns
/// the terminal's descriptor; ends the child with status 125 when that fails.
inline int takeTerminal(const std::string& slavePath) {
  setsid();
  int terminal = open(slavePath.c_str(), O_RDWR | O_NOCTTY);
  if (terminal < 0 || ioctl(terminal, TIOCSCTTY, 0) != 0) _exit(125);
  return terminal;
}

/// In a forked child: runs `skern -k stuff a.txt` in `directory`; never returns.
[[noreturn]] inline void runWaitingSkern(const std::string& program, const std::string& directory) {
  if (chdir(directory.c_str()) != 0) _exit(126);
  execl(program.c_str(), program.c_str(), "-k", "stuff", "a.txt", static_cast<char*>(nullptr));
  _exit(127);
}
