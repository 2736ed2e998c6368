// Any file through the streaming scan, read a few bytes at a time, shows exactly what it shows read
// in one block, under any search. The first three bytes choose the search and the reads' sizes.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "cmdline/settings.h"
#include "expr/expression.h"
#include "files/file_scan.h"
#include "files/line_list.h"
#include "platform/file_reader.h"

namespace {

const char* const kExpressions[] = {"a", "ab&c|d", "a\nb", "", "b|a&c", "aa&a", "\r", "c&\x01"};

// What the scan shows for the file at `path`, read `block` bytes at a time after `ahead`.
std::string shown(const std::string& path, std::size_t block, std::size_t ahead) {
  setReadBlockSize(block);
  setReadAheadBytes(ahead);
  char* text = nullptr;
  std::size_t size = 0;
  FILE* saved = stdout;
  stdout = open_memstream(&text, &size);
  skern(path);
  std::fclose(stdout);
  stdout = saved;
  std::string out(text, size);
  std::free(text);
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  static const std::string path = "/tmp/skern-fuzz-" + std::to_string(getpid()) + ".txt";
  FILE* file = std::fopen(path.c_str(), "wb");
  std::fwrite(data + 3, 1, size - 3, file);
  std::fclose(file);

  resetSettings();
  resetExpression();
  Settings.sanityIndicator = false;
  std::string expression = kExpressions[data[0] & 7];
  parseExpression(expression.data());
  Settings.lineNumbers = (data[0] & 8) != 0;
  Settings.ignoreCase = (data[0] & 16) != 0;
  Settings.wholeWords = (data[0] & 32) != 0;
  if (data[0] & 64) {
    Settings.charWindow = data[1] % 41;
  } else {
    Settings.lineWindow = data[1] % 5;
  }
  if (data[0] & 128) Settings.binaryThreshold = 3;
  Settings.rightMargin = data[1] / 5 % 50 - 5;  // any margin, also none
  std::string whole = shown(path, 1 << 18, 1 << 16);
  std::string pieces = shown(path, 1 + data[2] % 13, 1 + data[2] / 13 % 17);
  if (whole != pieces) std::abort();
  return 0;
}
