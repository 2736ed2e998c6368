#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "platform/key_wait.h"

void waitForKeyPress() {
  // The console itself, also when standard input is redirected; a process without a console
  // has nothing to wait on.
  HANDLE console =
      CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_EXISTING, 0, nullptr);
  if (console == INVALID_HANDLE_VALUE) return;
  DWORD savedMode;
  if (!GetConsoleMode(console, &savedMode)) {
    CloseHandle(console);
    return;
  }
  SetConsoleMode(console, savedMode & ~static_cast<DWORD>(ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT));
  for (;;) {
    INPUT_RECORD record;
    DWORD read = 0;
    if (!ReadConsoleInputA(console, &record, 1, &read) || read == 0) break;
    if (record.EventType == KEY_EVENT && record.Event.KeyEvent.bKeyDown) break;
  }
  SetConsoleMode(console, savedMode);
  CloseHandle(console);
}
