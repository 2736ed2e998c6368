// skern reading its files a few bytes at a time (SKERN_BLOCK_BYTES, SKERN_AHEAD_BYTES), so
// that every border between blocks is met in files of a few hundred bytes.
#include <cstdlib>

#include "cmdline/run.h"
#include "files/line_list.h"
#include "platform/file_reader.h"

int main(int argc, char** argv) {
  const char* block = std::getenv("SKERN_BLOCK_BYTES");
  const char* ahead = std::getenv("SKERN_AHEAD_BYTES");
  setReadBlockSize(block != nullptr ? std::strtoul(block, nullptr, 10) : 7);
  setReadAheadBytes(ahead != nullptr ? std::strtoul(ahead, nullptr, 10) : 5);
  return skernMain(argc, argv);
}
