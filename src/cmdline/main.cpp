// skern: finds lines that hold a term and, nearby, one of each group of further terms.

#include <cstdio>

#include "cmdline/options.h"
#include "cmdline/run.h"
#include "cmdline/tokenizer.h"
#include "cmdline/usage.h"
#include "platform/host.h"

int main(int argc, char** argv) {
  // Hits are written in large blocks when nobody watches them arrive.
  if (!isTerminal(stdout)) std::setvbuf(stdout, nullptr, _IOFBF, 1 << 16);
  if (argc < 2) usage();
  splitCommandLine(argc, argv);
  readOptions();
  return runAndFinish();
}
