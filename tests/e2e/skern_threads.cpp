// skern with the number of search threads fixed, so that every case runs on one thread and on
// more threads than the machine has CPUs, where files finish in another order than they began;
// and with big files cut into pieces of a few bytes, so that every file of more than one line
// is searched in pieces, while a thread may hold next to no output for pieces whose turn has
// not come.
#include "cmdline/run.h"

int main(int argc, char** argv) {
  return skernMain(argc, argv,
                   SearchTuning{SKERN_TEST_THREADS, SKERN_TEST_PIECE_BYTES, SKERN_TEST_HELD_BYTES});
}
