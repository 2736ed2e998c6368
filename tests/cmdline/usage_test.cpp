#include "cmdline/usage.h"

#include <gtest/gtest.h>

#include "cmdline/options.h"
#include "cmdline/settings.h"
#include "cmdline/tokenizer.h"
#include "support/reset.h"
#include "support/usage_text.h"

namespace {

TEST(UsageText, ShowsDefaultSkipList) {
  resetAll();
  EXPECT_TRUE(isUsageText(usageText(), ".exe.dll.zip.obj.ao."));
}

TEST(UsageText, ShowsSkipListOfTheOptionsReadAndConstantBinaryLine) {
  struct Row {
    const char* line;
    const char* skip;
  };
  const Row rows[] = {
      {"skern -z.txt x f", ".exe.dll.zip.obj.ao..txt."},
      {"skern -z- x f", ""},
      {"skern -z- -z.c.h x f", ".c.h."},
      {"skern -b25:400 x f", ".exe.dll.zip.obj.ao."},  // the -b line always shows -b0:200
      {"skern -z%d%s x f", ".exe.dll.zip.obj.ao.%d%s."},
  };
  for (const Row& row : rows) {
    resetAll();
    splitCommandText(row.line, "skern");
    readOptions();
    EXPECT_TRUE(isUsageText(usageText(), row.skip)) << row.line;
  }
}

}  // namespace
