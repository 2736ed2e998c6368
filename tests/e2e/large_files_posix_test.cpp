// Files larger than a read or than memory, a window too wide to hold, and output that cannot
// be written: skern searches to the end in bounded memory and reports what it cannot do.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "e2e/harness.h"

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;  // the sanitizers' shadow memory needs more than any limit
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream all;
  all << in.rdbuf();
  return all.str();
}

// Runs skern with `arguments` in `directory` through the shell, under an address-space limit
// of `limitKiB` (none when 0), with standard output sent to `output` (a file when empty).
RunResult runShell(const std::string& directory, const std::string& arguments, long limitKiB,
                   const std::string& output = "") {
  std::string out = directory + "/.out";
  std::string err = directory + "/.err";
  std::string limit = limitKiB > 0 ? "ulimit -v " + std::to_string(limitKiB) + "; " : "";
  std::string command = "cd '" + directory + "' && (" + limit + "exec '" + skernExecutable() +
                        "' " + arguments + ") >" + (output.empty() ? out : output) + " 2>" + err;
  int status = std::system(command.c_str());
  RunResult result;
  result.out = output.empty() ? slurp(out) : "";
  result.err = slurp(err);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return result;
}

// The line number (element number) of the byte at `at`, in a file whose only line feeds
// stand at `feeds` (sorted): each line counts one element per 999 bytes begun.
long long elementAt(const std::vector<long long>& feeds, long long at) {
  long long number = 1;
  long long lineStart = 0;
  for (long long feed : feeds) {
    if (feed >= at) break;
    number += (feed - lineStart) / 999 + 1;
    lineStart = feed + 1;
  }
  return number + (at - lineStart) / 999;
}

TEST(LargeFiles, SparseFileBeyond4GiBIsSearchedToItsEndInLittleMemory) {
  if (kSanitized) GTEST_SKIP() << "no address-space limit under the sanitizers";
  TempTree tree;
  const std::string path = tree.root() + "/big.log";
  const long long size = (4LL << 30) + (1 << 20);
  // Lines before and after the borders of 2 GiB (the most one read gives on Linux) and 4 GiB,
  // each in line feeds of its own; the last one ends the file without one.
  const std::vector<std::pair<long long, std::string>> marks = {
      {0, "needle at the start"},
      {(2LL << 30) - 9, "needle over 2G"},
      {(2LL << 30) + 100, "needle past 2G"},
      {(4LL << 30) - 5, "needle over 4G"},
      {size - 30, "the last needle"}};
  std::vector<long long> feeds;
  {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    for (const auto& [offset, line] : marks) {
      std::string text = (offset > 0 ? "\n" : "") + line + (offset < size - 30 ? "\n" : "");
      ASSERT_EQ(fseeko(file, offset, SEEK_SET), 0);
      std::fwrite(text.data(), 1, text.size(), file);
      if (offset > 0) feeds.push_back(offset);
      if (offset < size - 30) feeds.push_back(offset + static_cast<long long>(text.size()) - 1);
    }
    ASSERT_EQ(ftruncate(fileno(file), size), 0);
    std::fclose(file);
  }
  struct stat info;
  ASSERT_EQ(stat(path.c_str(), &info), 0);
  if (info.st_blocks * 512LL > (64LL << 20)) GTEST_SKIP() << "the file system has no sparse files";
  std::string expected = "\n::::::::: " + std::filesystem::canonical(path).string() + "\n";
  for (const auto& [offset, line] : marks) {
    long long start = offset > 0 ? offset + 1 : 0;
    expected.append(" ").append(std::to_string(elementAt(feeds, start))).append(":");
    expected.append(line).append("\n");
  }
  // Holding the file, or even 2 GiB of it, is out of the question in 1 GiB.
  RunResult run = runShell(tree.root(), "-n needle big.log", 1L << 20);
  EXPECT_EQ(run.out, expected);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.status, 0);
}

TEST(LargeFiles, WindowTooWideToHoldIsReportedAndTheRunGoesOn) {
  if (kSanitized) GTEST_SKIP() << "no address-space limit under the sanitizers";
  TempTree tree;
  std::string lines = "needle\n";
  lines.reserve(16u << 20);
  for (int i = 0; i < (8 << 20); ++i) lines += "a\n";
  tree.write("a.txt", lines);
  tree.write("b.txt", "a needle and zzz\n");
  std::string root = std::filesystem::canonical(tree.root()).string();
  // The window around line 1 reaches all 8 million lines: more than 150 MB of views.
  RunResult run = runShell(tree.root(), "-ve -+100000000 'needle&zzz' '*.txt'", 150000);
  EXPECT_EQ(run.out, "\n::::::::: " + root + "/b.txt\n a needle and zzz\n");
  EXPECT_EQ(run.err, "skern:skern():out of memory \"" + root + "/a.txt\"\n");
  EXPECT_EQ(run.status, 0);
}

TEST(LargeFiles, FailedWriteOfHitsEndsTheRunWithStatus2) {
  TempTree tree;
  tree.write("a.txt", "needle\n");
  struct Row {
    const char* arguments;
    const char* err;
    int status;
  };
  const Row rows[] = {
      {"needle a.txt", "skern:main():write error\n", 2},
      {"-v needle a.txt", "skern:findrecurse(\"a.txt\"):recursion 0\n", 2},
      // Nothing to write: nothing failed. Diagnostics that fail to be written are ignored.
      {"absent a.txt", "", 1},
      {"-vs absent a.txt", "", 1},
  };
  for (const Row& row : rows) {
    RunResult run = runShell(tree.root(), row.arguments, 0, "/dev/full");
    EXPECT_EQ(run.status, row.status) << row.arguments;
    if (row.status == 2) {
      EXPECT_NE(run.err.find("skern:main():write error\n"), std::string::npos) << row.arguments;
      EXPECT_EQ(run.err.rfind(row.err, 0), 0u) << row.arguments << ": " << run.err;
    } else {
      EXPECT_EQ(run.err, row.err) << row.arguments;
    }
  }
}

}  // namespace
