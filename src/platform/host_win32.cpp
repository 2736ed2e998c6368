#include <io.h>

#include "platform/host.h"

char pathSeparator() {
  return '\\';
}

bool isPathSeparator(char c) {
  return c == '\\' || c == '/';
}

std::size_t drivePrefixLength(std::string_view path) {
  if (path.size() < 2 || path[1] != ':') return 0;
  char letter = path[0];
  return (letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z') ? 2 : 0;
}

bool slashIsOptionLeadIn() {
  return true;
}

bool isTerminal(FILE* stream) {
  return _isatty(_fileno(stream)) != 0;
}
