#include <unistd.h>

#include "platform/colour_wish.h"
#include "platform/terminal_colours.h"

bool startColours(FILE* stream) {
  return isatty(fileno(stream)) == 1 && !coloursRefused();
}

void endColours() {}
