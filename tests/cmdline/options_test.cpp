#include "cmdline/options.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "cmdline/settings.h"
#include "cmdline/tokenizer.h"
#include "expr/expression.h"
#include "platform/host.h"
#include "support/reset.h"

namespace {

// Runs the option loop over `line` (program name first) from a fresh start.
void readLine(const char* line) {
  resetAll();
  splitCommandText(line, "skern");
  readOptions();
}

TEST(NumberValue, ReadsLikeAtoiAndClamps) {
  struct Row {
    const char* text;
    int value;
  };
  const Row rows[] = {
      {"", 0},
      {"abc", 0},
      {"12abc", 12},
      {" \t+12x", 12},
      {"-5", -5},
      {"+-3", 0},
      {"- 3", 0},
      {"2147483647", INT_MAX},
      {"2147483648", INT_MAX},
      {"99999999999", INT_MAX},
      {"999999999999999999999999999999", INT_MAX},
      {"-2147483648", INT_MIN},
      {"-2147483649", INT_MIN},
      {"-99999999999", INT_MIN},
      {"-999999999999999999999999999999", INT_MIN},
  };
  for (const Row& row : rows) EXPECT_EQ(numberValue(row.text), row.value) << row.text;
}

TEST(ReadOptions, NumberOptions) {
  struct Row {
    const char* line;
    int charWindow;
    int lineWindow;
    int rightMargin;
  };
  const Row rows[] = {
      {"skern -#5 -+2 x f", 0, 2, 78},   {"skern -+2 -#5 x f", 5, 0, 78},
      {"skern -#-3 x f", -3, 0, 78},     {"skern -#-99999999999 x f", INT_MIN, 0, 78},
      {"skern -+abc x f", 0, 0, 78},     {"skern -r-5 x f", 0, 0, -5},
      {"skern -r x f", 0, 0, 0},         {"skern -r99999999999 x f", 0, 0, INT_MAX},
      {"skern -r40 -r60 x f", 0, 0, 60},
  };
  for (const Row& row : rows) {
    readLine(row.line);
    EXPECT_EQ(Settings.charWindow, row.charWindow) << row.line;
    EXPECT_EQ(Settings.lineWindow, row.lineWindow) << row.line;
    EXPECT_EQ(Settings.rightMargin, row.rightMargin) << row.line;
  }
}

TEST(ReadOptions, FlagOptionsOnOffAndLastWins) {
  struct Row {
    const char* line;
    bool SettingsRecord::*field;
    bool value;
  };
  const Row rows[] = {
      {"skern -c-x x f", &SettingsRecord::cute, false},
      {"skern -cx x f", &SettingsRecord::cute, true},
      {"skern -c- -c x f", &SettingsRecord::cute, true},
      {"skern -c+ -c- x f", &SettingsRecord::cute, false},
      {"skern -i- x f", &SettingsRecord::ignoreCase, false},
      {"skern -d x f", &SettingsRecord::recurse, true},
      {"skern -d -s- x f", &SettingsRecord::recurse, false},
      {"skern -w x f", &SettingsRecord::wholeWords, true},
      {"skern -k x f -k-", &SettingsRecord::waitForKey, false},
      {"skern x f -k", &SettingsRecord::waitForKey, true},
      {"skern -n x f", &SettingsRecord::lineNumbers, true},
      {"skern -t x f", &SettingsRecord::truncate, true},
      {"skern -j- x f", &SettingsRecord::sanityIndicator, false},
      // -a sets line numbers and clears truncation in its off form too.
      {"skern -t -n- -a- x f", &SettingsRecord::showAll, false},
      {"skern -t -n- -a- x f", &SettingsRecord::lineNumbers, true},
      {"skern -t -n- -a- x f", &SettingsRecord::truncate, false},
      {"skern -a -t x f", &SettingsRecord::truncate, true},
      {"skern -a -n- x f", &SettingsRecord::lineNumbers, false},
  };
  for (const Row& row : rows) {
    readLine(row.line);
    EXPECT_EQ(Settings.*row.field, row.value) << row.line;
  }
}

TEST(ReadOptions, BinaryTest) {
  struct Row {
    const char* line;
    int testChars;
    int threshold;
  };
  const Row rows[] = {
      {"skern -b10 x f", 200, 20},
      {"skern -b10: x f", 200, 20},
      {"skern -b25:400 x f", 400, 100},
      {"skern -b:300 x f", 300, 0},
      {"skern -b0 x f", 200, 0},
      {"skern -b x f", 200, 0},
      {"skern -b- x f", 0, 0},
      {"skern -b-50:400 x f", 0, 0},
      {"skern -b25:400 -b10 x f", 400, 40},
      {"skern -b33:10 x f", 10, 3},
      {"skern -b33:-10 x f", -10, -3},  // the division truncates toward zero
      {"skern -b100000:2000000000 x f", 2000000000, INT_MAX},
      {"skern -b99999999999:1000 x f", 1000, INT_MAX},
      {"skern -b100:-2000000000 x f", -2000000000, -2000000000},
      {"skern -b200:-2000000000 x f", -2000000000, INT_MIN},
  };
  for (const Row& row : rows) {
    readLine(row.line);
    EXPECT_EQ(Settings.binaryTestChars, row.testChars) << row.line;
    EXPECT_EQ(Settings.binaryThreshold, row.threshold) << row.line;
  }
}

TEST(ReadOptions, Verbosity) {
  struct Row {
    const char* line;
    bool all;
    bool errors;
    FILE* stream;
    bool sanity;
  };
  const Row rows[] = {
      {"skern -v x f", true, true, stderr, false},
      {"skern -vs x f", true, true, stdout, false},
      {"skern -ve x f", false, true, stderr, false},
      {"skern -vse x f", false, true, stdout, false},
      {"skern -ves x f", false, true, stdout, false},
      {"skern -vxyz x f", true, true, stderr, false},
      {"skern -vzs x f", true, true, stdout, false},
      {"skern -vSE x f", true, true, stderr, false},
      {"skern -vs -v x f", true, true, stderr, false},
      {"skern -vs -v- x f", false, false, stdout, false},
      {"skern -v- x f", false, false, stderr, true},
      {"skern -v-s x f", false, false, stderr, true},
      {"skern -v -j x f", true, true, stderr, true},
      {"skern -j -v x f", true, true, stderr, false},
  };
  for (const Row& row : rows) {
    readLine(row.line);
    EXPECT_EQ(Settings.verboseAll, row.all) << row.line;
    EXPECT_EQ(Settings.verboseErrors, row.errors) << row.line;
    EXPECT_EQ(Settings.diagnosticStream, row.stream) << row.line;
    EXPECT_EQ(Settings.sanityIndicator, row.sanity) << row.line;
  }
}

TEST(ReadOptions, SkipListAccumulates) {
  struct Row {
    const char* line;
    const char* skip;
  };
  const Row rows[] = {
      {"skern -z.bongo.wongo x f", ".exe.dll.zip.obj.ao..bongo.wongo."},
      {"skern -zbongo x f", ".exe.dll.zip.obj.ao.bongo."},
      {"skern -z x f", ".exe.dll.zip.obj.ao.."},
      {"skern -z.a -z.b x f", ".exe.dll.zip.obj.ao..a..b."},
      {"skern -z- x f", ""},
      {"skern -z-x x f", ""},
      {"skern -z- -z.txt x f", ".txt."},
      {"skern -z.txt -z- x f", ""},
  };
  for (const Row& row : rows) {
    readLine(row.line);
    EXPECT_EQ(Settings.skipExtensions, row.skip) << row.line;
  }
}

TEST(ReadOptions, Targets) {
  struct Row {
    const char* line;
    std::vector<std::string> targets;
  };
  const Row rows[] = {
      {"skern stuff -f-bongo", {"-bongo"}},
      {"skern stuff -f", {""}},
      {"skern stuff a.txt a.txt", {"a.txt", "a.txt"}},
      {"skern -:-stuff x", {"x"}},
      {"skern -:a b c", {"b", "c"}},
      {"skern - stuff - x", {"x"}},  // a lone '-' is nothing
  };
  for (const Row& row : rows) {
    readLine(row.line);
    EXPECT_EQ(TargetList, row.targets) << row.line;
  }
}

TEST(ReadOptions, PrefixPathActsOnTheFollowingPlainPatterns) {
  const std::string sep(1, pathSeparator());
  readLine("skern stuff a.txt -pdir b.txt -f-bongo -p c.txt");
  EXPECT_EQ(TargetList,
            (std::vector<std::string>{"a.txt", "dir" + sep + "b.txt", "-bongo", "c.txt"}));

  readLine(("skern stuff -pdir" + sep + " d").c_str());
  EXPECT_EQ(TargetList, (std::vector<std::string>{"dir" + sep + "d"}));
}

TEST(ReadOptions, ExpressionSources) {
  readLine("skern -:-stuff x");
  EXPECT_EQ(Expression.firstTerm, "-stuff");

  readLine("skern first -:p&q x");
  EXPECT_EQ(Expression.firstTerm, "p");
  EXPECT_EQ(Expression.groups, (std::vector<std::vector<std::string>>{{"q"}}));

  // Only -f targets: the parser is never called and the expression stays empty.
  readLine("skern -fa.txt");
  EXPECT_EQ(Expression.firstTerm, "");
  EXPECT_TRUE(Expression.groups.empty());
  EXPECT_FALSE(operatorSeen);
  EXPECT_EQ(TargetList, (std::vector<std::string>{"a.txt"}));
}

}  // namespace
