// The README's examples, run in the repository: each shows exactly what skern prints.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <climits>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

namespace {

// What the shell line `command` writes to standard output and error, run in `folder`.
std::string shellOutput(const std::string& folder, const std::string& command, int& status) {
  std::string line = "cd '" + folder + "' && " + command + " 2>&1";
  FILE* pipe = popen(line.c_str(), "r");
  std::string output;
  char buffer[4096];
  for (std::size_t got; pipe && (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
    output.append(buffer, got);
  }
  status = pipe ? pclose(pipe) : -1;
  return output;
}

// Every block of the README that begins with "$ build/skern ": the rest of its first line is
// run with the skern built, and the lines after it, <repo> standing for the repository's full
// path, are what it prints.
TEST(Readme, ExamplesShowWhatSkernPrints) {
  char full[PATH_MAX];
  ASSERT_NE(realpath(SKERN_SOURCE_DIR, full), nullptr);
  const std::string repo = full;
  std::ifstream in(repo + "/README.md", std::ios::binary);
  const std::string readme(std::istreambuf_iterator<char>(in), {});
  const std::string fence = "```\n$ build/skern ";
  int examples = 0;
  for (std::size_t at = readme.find(fence); at != std::string::npos;
       at = readme.find(fence, at + 1)) {
    const std::size_t arguments = at + fence.size();
    const std::size_t lineEnd = readme.find('\n', arguments);
    const std::size_t end = readme.find("```\n", lineEnd);
    ASSERT_NE(end, std::string::npos);
    std::string expected = readme.substr(lineEnd + 1, end - lineEnd - 1);
    for (std::size_t p; (p = expected.find("<repo>")) != std::string::npos;) {
      expected.replace(p, 6, repo);
    }
    const std::string command =
        std::string("'") + SKERN_EXECUTABLE + "' " + readme.substr(arguments, lineEnd - arguments);
    SCOPED_TRACE(command);
    int status = -1;
    EXPECT_EQ(shellOutput(repo, command, status), expected);
    EXPECT_EQ(status, 0);
    ++examples;
  }
  EXPECT_GT(examples, 0);
}

}  // namespace
