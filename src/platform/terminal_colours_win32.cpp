#define WIN32_LEAN_AND_MEAN
#include <io.h>
#include <windows.h>

#include "platform/colour_wish.h"
#include "platform/terminal_colours.h"

#ifndef ENABLE_VIRTUAL_TERMINAL_PROCESSING
#define ENABLE_VIRTUAL_TERMINAL_PROCESSING 0x0004
#endif

namespace {

// The console that `startColours` switched, and its mode before it did.
HANDLE switchedConsole = INVALID_HANDLE_VALUE;
DWORD modeBefore = 0;

}  // namespace

bool startColours(FILE* stream) {
  HANDLE console = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
  DWORD mode;
  // A file, a pipe or the NUL device has no console mode.
  if (console == INVALID_HANDLE_VALUE || !GetConsoleMode(console, &mode) || coloursRefused()) {
    return false;
  }
  if ((mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0) return true;
  // An older console cannot take escape sequences: the hits stay plain there.
  if (!SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING)) return false;
  switchedConsole = console;
  modeBefore = mode;
  return true;
}

void endColours() {
  if (switchedConsole == INVALID_HANDLE_VALUE) return;
  SetConsoleMode(switchedConsole, modeBefore);
  switchedConsole = INVALID_HANDLE_VALUE;
}
