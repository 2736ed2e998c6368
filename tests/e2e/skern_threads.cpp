// skern with the number of search threads fixed, so that every case runs on one thread and on
// more threads than the machine has CPUs, where files finish in another order than they began.
#include "cmdline/run.h"

int main(int argc, char** argv) {
  fixSearchThreads(SKERN_TEST_THREADS);
  return skernMain(argc, argv);
}
