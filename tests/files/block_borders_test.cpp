// The file scan reading a few bytes at a time: whatever border between reads an element, a
// carriage return, a NUL, a 0x1A, a term or a window meets, the hits are the same.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "cmdline/settings.h"
#include "expr/expression.h"
#include "files/file_scan.h"
#include "files/line_list.h"
#include "platform/file_reader.h"
#include "support/reset.h"

namespace {

using namespace std::string_literals;

const std::string kText = "alpha stuff\r\n"s + std::string(1000, 'x') +
                          "stuff\nbeta\0gamma stuff\ngam\r\rma\r\nstu\rff and bongo\n\n"s +
                          std::string(40, 'y') + "bongo\nend stuff\x1a after stuff\n";

struct Options {
  const char* expression;
  int lineWindow, charWindow;
  bool wholeWords;
};

// What skern shows for kText, reading `block` bytes at a time after `ahead` bytes with the
// open.
std::string scanned(const Options& options, std::size_t block, std::size_t ahead) {
  // A name of its own, so that suites running side by side do not share the file.
  static const std::string path =
      (std::filesystem::temp_directory_path() /
       ("skern-borders-" + std::to_string(std::random_device()()) + ".txt"))
          .string();
  std::ofstream(path, std::ios::binary) << kText;
  resetAll();
  setReadBlockSize(block);
  setReadAheadBytes(ahead);
  std::string expression = options.expression;
  parseExpression(expression.data());
  Settings.lineNumbers = true;
  Settings.lineWindow = options.lineWindow;
  Settings.charWindow = options.charWindow;
  Settings.wholeWords = options.wholeWords;
  testing::internal::CaptureStdout();
  skern(path);
  std::fflush(stdout);
  std::string out = testing::internal::GetCapturedStdout();
  std::filesystem::remove(path);
  setReadBlockSize(1 << 18);
  setReadAheadBytes(1 << 16);
  resetAll();
  return out;
}

TEST(BlockBorders, EveryBlockSizeShowsTheSameHits) {
  const Options sets[] = {
      {"stuff", 0, 0, false},   {"stuff&bongo", 1, 0, false}, {"stuff&bongo|alpha", 0, 12, false},
      {"stuff&x", 0, 30, true}, {"stuff&gamma", 2, 0, false}, {"bongo|stuff", 0, 0, false},
      {"ff\nstu", 0, 0, false}};
  for (const Options& options : sets) {
    std::string whole = scanned(options, 1 << 18, 1 << 16);
    for (std::size_t block = 1; block <= 13; ++block) {
      for (std::size_t ahead : {1, 4, 9}) {
        ASSERT_EQ(scanned(options, block, ahead), whole)
            << options.expression << " in blocks of " << block << " after " << ahead;
      }
    }
  }
}

TEST(BlockBorders, LinesAreNumberedAcrossBorders) {
  // A line of 1,006 bytes is two elements; text after a NUL or a 0x1A is gone, and so are
  // carriage returns, also inside the term.
  std::string out = scanned({"stuff", 0, 0, false}, 3, 2);
  EXPECT_EQ(out.substr(out.find('\n', 1) + 1),
            " 1:alpha stuff\n 3:xstuff\n 6:stuff and bongo\n 9:end stuff\n");
}

}  // namespace
