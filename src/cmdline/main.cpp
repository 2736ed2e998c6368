// skern: finds lines that hold a term and, nearby, one of each group of further terms.

#include "cmdline/run.h"

int main(int argc, char** argv) {
  return skernMain(argc, argv);
}
