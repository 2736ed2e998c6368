#include <unistd.h>

#include "platform/host.h"

char pathSeparator() {
  return '/';
}

bool isPathSeparator(char c) {
  return c == '/';
}

std::size_t drivePrefixLength(std::string_view) {
  return 0;
}

bool slashIsOptionLeadIn() {
  return false;
}

bool isTerminal(FILE* stream) {
  return isatty(fileno(stream)) == 1;
}
