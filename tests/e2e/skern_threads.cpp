// skern with its search threads, piece size and held output fixed by the build (see
// tests/CMakeLists.txt), so that the cases run in every order and cut the build allows.
#include "cmdline/run.h"

int main(int argc, char** argv) {
  return skernMain(argc, argv,
                   SearchTuning{SKERN_TEST_THREADS, SKERN_TEST_PIECE_BYTES, SKERN_TEST_HELD_BYTES});
}
