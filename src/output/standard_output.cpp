#include "output/standard_output.h"

#include <cstdio>
#include <cstdlib>

void writeOutput(FILE* stream, std::string_view text) {
  if (std::fwrite(text.data(), 1, text.size(), stream) != text.size()) outputFailed();
}

void flushOutput() {
  flushStream(stdout);
}

void flushStream(FILE* stream) {
  if (std::fflush(stream) != 0 || std::ferror(stream)) outputFailed();
}

void outputFailed() {
  // Hits are lost (a full disk, an I/O error): the user must learn that the output is
  // incomplete, whatever the verbosity. What still waits in the buffer is dropped unwritten.
  std::fputs("skern:main():write error\n", stderr);
  std::fflush(stderr);
  std::_Exit(2);
}

void ranOutOfMemory() {
  std::fflush(stdout);
  std::fputs("skern:main():out of memory\n", stderr);
  std::fflush(stderr);
  std::_Exit(2);
}
