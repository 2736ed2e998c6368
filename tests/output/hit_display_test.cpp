#include "output/hit_display.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>
#include <string>

#include "cmdline/settings.h"
#include "files/file_scan.h"
#include "support/reset.h"

namespace {

const std::string kAlphabet = "abcdefghijklmnopqrstuvwxyz0123456789";

struct CuteCase {
  const char* name;
  std::string text;
  long long lineNumber;
  int margin;
  bool truncate;
  bool lineNumbers;
  bool showAll;
  std::string expected;
};

// Names the case in failure messages.
void PrintTo(const CuteCase& c, std::ostream* os) {
  *os << c.name;
}

const CuteCase kCuteCases[] = {
    {"Trimmed", "    call stuff(bongo);\n", 3, 78, false, false, false, " call stuff(bongo);\n"},
    {"TrimmedTabAndControls", "\t\v\fx = stuff;\r\n", 7, 78, false, false, false, " x = stuff;\n"},
    {"Numbered", "    call stuff(bongo);\n", 3, 78, false, true, false, " 3:call stuff(bongo);\n"},
    {"Margin20", kAlphabet + "\n", 5, 20, false, false, false,
     " abcdefghijklmnopqrst\n  uvwxyz0123456789\n"},
    {"Margin20Truncated", kAlphabet + "\n", 5, 20, true, false, false, " abcdefghijklmnopqrst\n"},
    {"Margin20Numbered", kAlphabet + "\n", 5, 20, false, true, false,
     " 5:abcdefghijklmnopqr\n  stuvwxyz0123456789\n"},
    {"Margin20NumberedTruncated", kAlphabet + "\n", 5, 20, true, true, false,
     " 5:abcdefghijklmnopqr\n"},
    {"Exactly78", std::string(78, 'x') + "\n", 1, 78, false, false, false,
     " " + std::string(78, 'x') + "\n"},
    {"Exactly79", std::string(78, 'x') + "y\n", 1, 78, false, false, false,
     " " + std::string(78, 'x') + "\n  y\n"},
    {"ContinuationEachLine77", std::string(78 + 77 + 1, 'x'), 1, 78, false, false, false,
     " " + std::string(78, 'x') + "\n  " + std::string(77, 'x') + "\n  x\n"},
    {"Margin2Numbered", "abcdef\n", 12, 2, false, true, false,
     " 12:\n  a\n  b\n  c\n  d\n  e\n  f\n"},
    {"Margin2NumberedTruncated", "abcdef\n", 12, 2, true, true, false, " 12:\n"},
    {"Margin2", "abcdef\n", 12, 2, false, false, false, " ab\n  c\n  d\n  e\n  f\n"},
    {"Margin0", "abc\n", 1, 0, false, false, false, " \n  a\n  b\n  c\n"},
    {"MarginNegative", "abc\n", 1, -5, false, false, false, " \n  a\n  b\n  c\n"},
    {"MarginNegativeTruncated", "abc\n", 1, -5, true, false, false, " \n"},
    {"WhitespaceOnly", "  \t \n", 4, 78, false, false, false, " \n"},
    {"WhitespaceOnlyNumbered", "  \t \n", 4, 78, false, true, false, " 4:\n"},
    {"SpaceStartsContinuation", "abcde fgh\n", 1, 5, false, false, false, " abcde\n   fgh\n"},
    {"TabIsOneColumn", "a\tbc\n", 1, 3, false, false, false, " a\tb\n  c\n"},
    {"NoLineFeed", "ab stuff", 9, 78, false, false, false, " ab stuff\n"},
    {"WideLineNumber", "x\n", 3000000000LL, 78, false, true, false, " 3000000000:x\n"},
    // Windows: the line ends inside show as bars, or end the hit under truncation.
    {"WindowBars", "alpha\nbeta stuff\ngamma\n", 12, 78, false, true, true,
     " 12:alpha|beta stuff|gamma\n"},
    {"WindowTruncated", "alpha\nbeta stuff\ngamma\n", 12, 78, true, true, true, " 12:alpha\n"},
    {"WindowBarsWrap", "ab\ncd\n", 1, 3, false, false, true, " ab|\n  cd\n"},
    {"LineFeedKeptWithoutShowAll", "ab\ncd", 1, 78, false, false, false, " ab\ncd\n"},
};

class FormatCute : public testing::TestWithParam<CuteCase> {
 protected:
  void SetUp() override { resetAll(); }
  void TearDown() override { resetAll(); }
};

TEST_P(FormatCute, Output) {
  const CuteCase& c = GetParam();
  Settings.rightMargin = c.margin;
  Settings.truncate = c.truncate;
  Settings.lineNumbers = c.lineNumbers;
  Settings.showAll = c.showAll;
  std::string out = "kept:";
  formatCute(c.lineNumber, c.text, out);
  EXPECT_EQ(out, "kept:" + c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, FormatCute, testing::ValuesIn(kCuteCases),
                         [](const testing::TestParamInfo<CuteCase>& info) {
                           return std::string(info.param.name);
                         });

class Display : public testing::Test {
 protected:
  void SetUp() override {
    resetAll();
    CurrentPath = "/src/alpha.txt";
  }
  void TearDown() override { resetAll(); }

  // Everything that `showhit` writes for the given calls.
  static std::string shown(
      const std::vector<std::tuple<long long, std::string, std::string>>& hits) {
    testing::internal::CaptureStdout();
    for (const auto& [number, line, window] : hits) showhit(number, line, window);
    std::fflush(stdout);
    return testing::internal::GetCapturedStdout();
  }
};

TEST_F(Display, DumpForms) {
  std::string out;
  formatDump(3, "    call stuff(bongo);\n", out);
  EXPECT_EQ(out, "      call stuff(bongo);\n");
  Settings.lineNumbers = true;
  out.clear();
  formatDump(3, "    call stuff(bongo);\n", out);
  EXPECT_EQ(out, "  3:    call stuff(bongo);\n");
  out.clear();
  formatDump(4, "  \t \n", out);
  EXPECT_EQ(out, "  4:  \t \n");
}

TEST_F(Display, HeaderOncePerFileAndFoundAny) {
  EXPECT_FALSE(foundAny);
  std::string first = shown({{3, "    call stuff(bongo);\n", "    call stuff(bongo);\n"},
                             {7, "\tx = stuff;\n", "\tx = stuff;\n"}});
  EXPECT_EQ(first, "\n::::::::: /src/alpha.txt\n call stuff(bongo);\n x = stuff;\n");
  EXPECT_TRUE(HeaderShown);
  EXPECT_TRUE(foundAny);
  HeaderShown = false;
  CurrentPath = "/src/beta.txt";
  EXPECT_EQ(shown({{1, "stuff\n", "stuff\n"}}), "\n::::::::: /src/beta.txt\n stuff\n");
}

TEST_F(Display, ShowheaderWritesNothingOnceShown) {
  HeaderShown = true;
  testing::internal::CaptureStdout();
  showheader();
  std::fflush(stdout);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_FALSE(foundAny);
}

TEST_F(Display, WindowChoiceInBothStyles) {
  const std::string window = "alpha\nbeta stuff\ngamma\n";
  const std::string line = "beta stuff\n";
  const std::string header = "\n::::::::: /src/alpha.txt\n";
  EXPECT_EQ(shown({{12, line, window}}), header + " beta stuff\n");
  HeaderShown = false;
  Settings.showAll = true;
  Settings.lineNumbers = true;
  EXPECT_EQ(shown({{12, line, window}}), header + " 12:alpha|beta stuff|gamma\n");
  HeaderShown = false;
  Settings.cute = false;
  EXPECT_EQ(shown({{12, line, window}}), header + "  12:alpha\nbeta stuff\ngamma\n");
}

TEST_F(Display, DumpWithoutLineFeedRunsOn) {
  Settings.cute = false;
  Settings.showAll = true;
  EXPECT_EQ(shown({{2, "ab stuff cd\n", "z\nab stuff cd"}, {3, "last", "last"}}),
            "\n::::::::: /src/alpha.txt\n  z\nab stuff cd  last");
}

}  // namespace
