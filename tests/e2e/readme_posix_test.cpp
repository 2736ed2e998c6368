// The README's examples, run in the repository: each shows exactly what skern prints.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

// Each README block that begins "$ build/skern ARGS": ARGS run with the skern built, in the
// repository; the lines after it are its output and error, <repo> the repository's full path.
TEST(Readme, ExamplesShowWhatSkernPrints) {
  const std::string repo = std::filesystem::canonical(SKERN_SOURCE_DIR),
                    fence = "```\n$ build/skern ";
  std::ifstream in(repo + "/README.md", std::ios::binary);
  const std::string readme(std::istreambuf_iterator<char>(in), {});
  int examples = 0;
  for (std::size_t at = readme.find(fence); at != std::string::npos;
       at = readme.find(fence, at + 1), ++examples) {
    const std::size_t arguments = at + fence.size(), lineEnd = readme.find('\n', arguments);
    const std::size_t end = readme.find("```\n", lineEnd);
    ASSERT_NE(end, std::string::npos);
    std::string expected = readme.substr(lineEnd + 1, end - lineEnd - 1), shown;
    for (std::size_t p; (p = expected.find("<repo>")) != std::string::npos;)
      expected.replace(p, 6, repo);
    const std::string command = "cd '" + repo + "' && '" + SKERN_EXECUTABLE + "' " +
                                readme.substr(arguments, lineEnd - arguments) + " 2>&1";
    SCOPED_TRACE(command);
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
      shown.append(buffer, got);
    EXPECT_EQ(pclose(pipe), 0);
    EXPECT_EQ(shown, expected);
  }
  EXPECT_GT(examples, 0);
}
