// skern with its threads, piece and held bytes fixed by the build (see tests/CMakeLists.txt).
#include "cmdline/run.h"

int main(int argc, char** argv) {
  return skernMain(argc, argv, SearchTuning{SKERN_TEST_TUNING});
}
