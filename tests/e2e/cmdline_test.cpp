#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e/harness.h"
#include "e2e/messages.h"
#include "support/usage_text.h"

namespace {

const char kDefaultSkip[] = ".exe.dll.zip.obj.ao.";

bool endsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

TEST(CommandLine, NothingFoundExitsOne) {
  TempTree tree;
  RunResult r = runSkern({"stuff", "a.txt"}, tree.root());
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.status, 1);
}

TEST(CommandLine, BadUsePrintsUsageAndExitsThree) {
  struct Row {
    std::vector<std::string> arguments;
    const char* skip;
  };
  const Row rows[] = {
      {{}, kDefaultSkip},
      {{"stuff"}, kDefaultSkip},
      {{"-s", "-:stuff"}, kDefaultSkip},
      {{"stuff", "-x", "a.txt"}, kDefaultSkip},
      {{"stuff", "-I", "a.txt"}, kDefaultSkip},
      {{"stuff", "-S", "a.txt"}, kDefaultSkip},
      {{"stuff", "a.txt", "-e"}, kDefaultSkip},
      {{"stuff", "a.txt", "-?"}, kDefaultSkip},
      {{"-z.txt", "-q", "stuff", "a"}, ".exe.dll.zip.obj.ao..txt."},
      {{"-z-", "stuff"}, ""},
  };
  TempTree tree;
  tree.write("a.txt", "stuff\n");
  for (const Row& row : rows) {
    std::string shown;
    for (const std::string& a : row.arguments) shown += a + " ";
    RunResult r = runSkern(row.arguments, tree.root());
    EXPECT_EQ(r.status, 3) << shown;
    EXPECT_TRUE(isUsageText(r.out, row.skip)) << shown;
    EXPECT_EQ(r.err, "") << shown;
  }
}

TEST(CommandLine, MalformedExpressionReportsThenUsage) {
  struct Row {
    std::vector<std::string> arguments;
    const char* message;
  };
  const Row rows[] = {
      {{"|a", "a.txt"}, "bad arg: &|a\n"},         {{"a||b", "a.txt"}, "bad arg: &a||b\n"},
      {{"a&|b", "a.txt"}, "bad arg: a&|b\n"},      {{"a&b||c", "a.txt"}, "bad arg: a&b||c\n"},
      {{"x", "-:a|b", "a.txt"}, "bad arg: a|b\n"},
  };
  TempTree tree;
  tree.write("a.txt", "a b c x\n");
  for (const Row& row : rows) {
    RunResult r = runSkern(row.arguments, tree.root());
    EXPECT_EQ(r.status, 3) << row.message;
    std::string head = r.out.substr(0, std::string(row.message).size());
    EXPECT_EQ(head, row.message);
    EXPECT_TRUE(isUsageText(r.out.substr(head.size()), kDefaultSkip)) << row.message;
    EXPECT_EQ(r.err, "") << row.message;
  }
}

TEST(CommandLine, NothingFoundMessageFollowsTheStream) {
  TempTree tree;
  tree.write("a.txt", "nothing to see\n");

  RunResult r = runSkern({"-v", "stuff", "a.txt"}, tree.root());
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(endsWith(r.err, kNothingFound)) << r.err;
  EXPECT_EQ(r.out, "");

  r = runSkern({"-vs", "stuff", "a.txt"}, tree.root());
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(endsWith(r.out, kNothingFound)) << r.out;
  EXPECT_EQ(r.err, "");

  r = runSkern({"-ve", "stuff", "a.txt"}, tree.root());
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out.find("nothing found"), std::string::npos);
  EXPECT_EQ(r.err.find("nothing found"), std::string::npos);

  r = runSkern({"-v", "see", "a.txt"}, tree.root());
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err.find("nothing found"), std::string::npos) << r.err;
}

TEST(CommandLine, KeyPromptWithoutTerminalEndsAtOnce) {
  TempTree tree;
  tree.write("a.txt", "nothing to see\n");

  RunResult r = runSkern({"-k", "stuff", "a.txt"}, tree.root(), true);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "(press a key)");
  EXPECT_EQ(r.out, "");

  r = runSkern({"-k", "-vs", "stuff", "a.txt"}, tree.root(), true);
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(endsWith(r.out, std::string(kNothingFound) + "(press a key)")) << r.out;
  EXPECT_EQ(r.err, "");

  r = runSkern({"-v", "-k", "stuff", "a.txt"}, tree.root(), true);
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(endsWith(r.err, std::string(kNothingFound) + "(press a key)")) << r.err;

  r = runSkern({"-k", "see", "a.txt"}, tree.root(), true);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "(press a key)");

  r = runSkern({"-k", "-k-", "stuff", "a.txt"}, tree.root(), true);
  EXPECT_EQ(r.err, "");
}

}  // namespace
