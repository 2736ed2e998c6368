#include "platform/colour_wish.h"

#include <cstdlib>
#include <cstring>

bool coloursRefused() {
  const char* noColour = std::getenv("NO_COLOR");
  const char* term = std::getenv("TERM");
  return (noColour != nullptr && noColour[0] != '\0') ||
         (term != nullptr && std::strcmp(term, "dumb") == 0);
}
