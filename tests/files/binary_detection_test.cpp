#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cmdline/settings.h"
#include "files/file_scan.h"
#include "files/line_list.h"
#include "support/reset.h"

namespace {

// Judges a file that holds `raw`, read in text mode, with the test set to `threshold`
// control characters among the first `testChars`.
bool binary(std::string raw, int threshold = 20, int testChars = 200) {
  resetAll();
  Settings.binaryThreshold = threshold;
  Settings.binaryTestChars = testChars;
  loadLines(raw);
  return looksBinary();
}

std::string run(std::size_t count, char c) {
  return std::string(count, c);
}

TEST(BinaryTest, ThresholdAmongTheFirstCharacters) {
  struct Row {
    const char* what;
    std::string raw;
    int threshold;
    int testChars;
    bool binary;
  };
  const Row rows[] = {
      {"20 controls of 200", run(20, '\x01') + run(180, 'a'), 20, 200, true},
      {"19 controls of 200", run(19, '\x01') + run(181, 'a'), 20, 200, false},
      {"20 controls, the last one the 200th", run(180, 'a') + run(20, '\x1F'), 20, 200, true},
      {"the 201st is not looked at", run(200, 'a') + "\x01", 1, 200, false},
      {"50 controls, no decision", run(50, '\x02'), 20, 200, false},
      {"controls spread over lines",
       [] {
         std::string s;
         for (int i = 0; i < 20; ++i) s += "\x03x\n";
         return s + run(200, 'a');
       }(),
       20, 200, true},
      {"TAB and LF", run(100, '\t') + run(100, '\n') + run(50, 'a'), 1, 200, false},
      {"DEL and high bytes", run(100, '\x7F') + run(100, '\x80') + run(50, '\xFF'), 1, 200, false},
      {"ESC and FF count", run(10, '\x1B') + run(10, '\x0C') + run(200, 'a'), 20, 200, true},
      {"carriage returns are gone",
       [] {
         std::string s;
         for (int i = 0; i < 100; ++i) s += "a\r\n";
         return s;
       }(),
       20, 200, false},
      {"text after 0x1A is gone", "abc\x1A" + run(300, '\x01'), 1, 200, false},
      {"the rest of a chunk after a NUL",
       std::string("ab") + '\0' + run(30, '\x01') + "\n" + run(300, 'a'), 20, 200, false},
      {"controls after the NUL's chunk count",
       std::string("ab") + '\0' + "\n" + run(20, '\x01') + run(300, 'a'), 20, 200, true},
      {"one character decides", "\x05rest", 1, 1, true},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(binary(row.raw, row.threshold, row.testChars), row.binary) << row.what;
  }
}

TEST(BinaryTest, NulBytesAreNotTestedCharacters) {
  // Each element "x" + NUL: only the x counts, so 200 tested characters need 200 lines.
  std::string lines;
  for (int i = 0; i < 199; ++i) lines += std::string("x") + '\0' + "\n";
  EXPECT_FALSE(binary(lines + run(20, '\x01'), 20, 200));
  EXPECT_TRUE(binary(lines + run(20, '\x01'), 1, 200));
  EXPECT_FALSE(binary(lines + "a" + run(20, '\x01'), 1, 200));
}

}  // namespace
