// The option loop where paths are written with '/' and an argument beginning with '/' is a path.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cmdline/options.h"
#include "cmdline/settings.h"
#include "cmdline/tokenizer.h"
#include "expr/expression.h"
#include "support/reset.h"

namespace {

void readLine(const char* line) {
  resetAll();
  splitCommandText(line, "skern");
  readOptions();
}

TEST(ReadOptionsPosix, PrefixPathWithSlashes) {
  struct Row {
    const char* line;
    std::vector<std::string> targets;
  };
  const Row rows[] = {
      {"skern stuff a.txt -p/x b.txt -p c.txt", {"a.txt", "/x/b.txt", "c.txt"}},
      {"skern stuff -p/x/ d", {"/x/d"}},
      {"skern stuff -p/ d", {"/d"}},
      {"skern stuff -pC:\\x d", {"C:\\x/d"}},  // a backslash is no separator
      {"skern stuff -p/x -f/y/z b", {"/y/z", "/x/b"}},
  };
  for (const Row& row : rows) {
    readLine(row.line);
    EXPECT_EQ(TargetList, row.targets) << row.line;
  }
}

TEST(ReadOptionsPosix, SlashLeadsAPathNotAnOption) {
  readLine("skern stuff /tmp");
  EXPECT_EQ(TargetList, (std::vector<std::string>{"/tmp"}));
  EXPECT_FALSE(Settings.truncate);

  // The lead-in stays '-': later '-' arguments are still options.
  readLine("skern /i stuff -i- / -");
  EXPECT_EQ(Expression.firstTerm, "/i");
  EXPECT_EQ(TargetList, (std::vector<std::string>{"stuff", "/"}));
  EXPECT_FALSE(Settings.ignoreCase);
}

}  // namespace
