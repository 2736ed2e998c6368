#include "expr/hit_eval.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "cmdline/settings.h"
#include "expr/expression.h"
#include "files/file_scan.h"
#include "files/line_list.h"
#include "support/reset.h"

namespace {

struct EvalCase {
  const char* name;
  std::string text;  // the file's bytes, NULs included
  std::string firstTerm;
  std::vector<std::vector<std::string>> groups;
  std::size_t index;  // element of the candidate line
  long long centre;
  int lineWindow;
  int charWindow;  // as the evaluator sees it (already raised by 1 under -w)
  bool wholeWords;
  bool hit;
  std::string window;  // the window handed back
};

// Names the case in failure messages.
void PrintTo(const EvalCase& c, std::ostream* os) {
  *os << c.name;
}

const std::string kAbg = "alpha\nbeta stuff\ngamma\n";
const std::string kPair = "l1\nl2\nl3\nabc\nxx stuff yy\nzzzz\n";
const std::string kNul("abc\0zz\nxx stuff yy\nqq\n", 22);

// clang-format off
const EvalCase kCases[] = {
    {"NoGroupsLineWindowIgnored", kAbg, "stuff", {}, 1, 5, 3, 0, false, true, "beta stuff\n"},
    {"NoGroupsCharWindowIgnored", kAbg, "stuff", {}, 1, 5, 0, 40, false, true, "beta stuff\n"},
    {"DefaultWindowIsTheLine", kAbg, "stuff", {{"alpha"}}, 1, 5, 0, 0, false, false, "beta stuff\n"},
    {"LineWindowOfThree", kAbg, "stuff", {{"alpha"}}, 1, 5, 1, 0, false, true, kAbg},
    {"LineWindowAtFirstLine", kAbg, "alpha", {{"beta"}}, 0, 0, 1, 0, false, true, "alpha\nbeta stuff\n"},
    {"LineWindowAtLastLine", kAbg, "gamma", {{"alpha"}}, 2, 0, 2, 0, false, true, kAbg},
    {"LineWindowTooShort", kAbg, "gamma", {{"alpha"}}, 2, 0, 1, 0, false, false, "gamma\n"},
    // -#4: the line feed of line 4 and all of line 5; abc lies outside.
    {"CharWindowCutsBefore", kPair, "stuff", {{"abc"}}, 4, 3, 0, 4, false, false, "xx stuff yy\n"},
    {"CharWindowCutsBeforeShown", kPair, "stuff", {{"yy"}}, 4, 3, 0, 4, false, true, "\nxx stuff yy\n"},
    {"CharWindowSevenReachesAbc", kPair, "stuff", {{"abc"}}, 4, 3, 0, 7, false, true, "abc\nxx stuff yy\nzzz"},
    {"CharWindowAtFirstLine", "ab stuff cd\nefgh\n", "stuff", {{"e"}}, 0, 3, 0, 5, false, true, "ab stuff cd\ne"},
    {"CharWindowAtFirstLineMiss", "ab stuff cd\nefgh\n", "stuff", {{"ef"}}, 0, 3, 0, 5, false, false, "ab stuff cd\n"},
    {"CharWindowAtLastLine", "wxyz\nab stuff cd", "stuff", {{"cd"}}, 1, 3, 0, 4, false, true, "\nab stuff cd"},
    {"CharWindowAtLastLineMiss", "wxyz\nab stuff cd", "stuff", {{"z"}}, 1, 3, 0, 4, false, false, "ab stuff cd"},
    // -w -#3 (charWindow 4): an alternative exactly 3 bytes before the occurrence.
    {"WordsAtReachAfterBoundary", "x ab stuff\n", "stuff", {{"ab"}}, 0, 5, 0, 4, true, true, " ab stuff\n"},
    {"WordsAtReachAfterWordChar", "xyab stuff\n", "stuff", {{"ab"}}, 0, 5, 0, 4, true, false, "xyab stuff\n"},
    {"WordsBeyondReach", " ab  stuff\n", "stuff", {{"ab"}}, 0, 5, 0, 4, true, false, " ab  stuff\n"},
    {"WordsFileFirstByteOnlyNeighbour", "ab stuff\n", "stuff", {{"ab"}}, 0, 3, 0, 4, true, false, "ab stuff\n"},
    {"WordsLineWindowSearchesAll", "ab stuff\n", "stuff", {{"ab"}}, 0, 3, 0, 0, true, true, "ab stuff\n"},
    {"EveryGroupHolds", "a c d\n", "a", {{"b", "c"}, {"d"}}, 0, 0, 0, 0, false, true, "a c d\n"},
    {"SecondGroupFails", "a b\n", "a", {{"b", "c"}, {"d"}}, 0, 0, 0, 0, false, false, "a b\n"},
    {"FirstGroupFails", "a d\n", "a", {{"b", "c"}, {"d"}}, 0, 0, 0, 0, false, false, "a d\n"},
    {"NegativeCharWindowIsLine", "abc\nxx stuff\n", "stuff", {{"abc"}}, 1, 3, 0, -5, false, false, "xx stuff\n"},
    {"NegativeCharWindowHit", "abc\nxx stuff\n", "stuff", {{"xx"}}, 1, 3, 0, -5, false, true, "xx stuff\n"},
    {"NegativeLineWindowIsLine", "abc\nxx stuff\n", "stuff", {{"abc"}}, 1, 3, -2, 0, false, false, "xx stuff\n"},
    // Element 0 is cut short by a NUL: "zz\n" after it is not part of the text.
    {"LineWindowAcrossNul", kNul, "stuff", {{"qq"}}, 1, 3, 1, 0, false, true, "abcxx stuff yy\nqq\n"},
    {"CharWindowAcrossNul", kNul, "stuff", {{"cxx"}}, 1, 3, 0, 6, false, true, "abcxx stuff yy\nqq"},
    {"NulTailNotInWindow", kNul, "stuff", {{"zz"}}, 1, 3, 1, 0, false, false, "xx stuff yy\n"},
};
// clang-format on

class EvaluateHit : public testing::TestWithParam<EvalCase> {
 protected:
  void SetUp() override { resetAll(); }
  void TearDown() override { resetAll(); }
};

TEST_P(EvaluateHit, WindowAndVerdict) {
  const EvalCase& c = GetParam();
  loadLines(c.text);
  Expression.firstTerm = c.firstTerm;
  Expression.groups = c.groups;
  Settings.lineWindow = c.lineWindow;
  Settings.charWindow = c.charWindow;
  Settings.wholeWords = c.wholeWords;
  std::string_view window;
  EXPECT_EQ(evaluateHit(c.index, c.centre, window), c.hit);
  EXPECT_EQ(std::string(window), c.window);
}

INSTANTIATE_TEST_SUITE_P(Cases, EvaluateHit, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<EvalCase>& info) {
                           return std::string(info.param.name);
                         });

// What the scan shows for `text` with expression stuff&bongo and a character window of 6.
std::string scanned(const std::string& text) {
  resetAll();
  CurrentPath = "/t/f.txt";
  loadLines(text);
  Expression.firstTerm = "stuff";
  Expression.groups = {{"bongo"}};
  Settings.charWindow = 6;
  testing::internal::CaptureStdout();
  scanLines();
  std::fflush(stdout);
  std::string out = testing::internal::GetCapturedStdout();
  resetAll();
  return out;
}

TEST(ScanLines, OnlyTheFirstOccurrenceIsEvaluated) {
  EXPECT_EQ(scanned("stuff .......... stuff bongo\n"), "");
  EXPECT_EQ(scanned("stuff bongo .......... stuff\n"),
            "\n::::::::: /t/f.txt\n stuff bongo .......... stuff\n");
}

}  // namespace
