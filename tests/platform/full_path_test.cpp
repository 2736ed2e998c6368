#include "platform/full_path.h"

#include <gtest/gtest.h>
#include <limits.h>
#include <unistd.h>

#include <string>

#include "platform/current_directory.h"

namespace {

std::string full(const std::string& path) {
  std::string result = "unchanged";
  if (!fullPath(path, result)) return "<failed>";
  return result;
}

// Runs in the root directory and goes back to where the tests started.
class FullPath : public ::testing::Test {
 protected:
  void SetUp() override {
    char buffer[PATH_MAX];
    ASSERT_NE(getcwd(buffer, sizeof buffer), nullptr);
    saved_ = buffer;
    ASSERT_TRUE(setCurrentDirectory("/"));
  }
  void TearDown() override { setCurrentDirectory(saved_); }

 private:
  std::string saved_;
};

TEST_F(FullPath, ResolvesDotsAndSlashesLexically) {
  const char* rows[][2] = {
      {"/a/./b//../c", "/a/c"},
      {"/a/b/c/../../d", "/a/d"},
      {"/..", "/"},
      {"/../../x", "/x"},
      {"/", "/"},
      {"//", "/"},
      {"///etc//passwd", "/etc/passwd"},
      {"/a/..b/c", "/a/..b/c"},
      {"/a/.b", "/a/.b"},
      {"/no/such/dir/../file", "/no/such/file"},  // nothing is looked up
      {"x.txt", "/x.txt"},
      {"./x.txt", "/x.txt"},
      {"../x.txt", "/x.txt"},
      {"a//b/./../c", "/a/c"},
  };
  for (auto& row : rows) EXPECT_EQ(full(row[0]), row[1]) << row[0];
}

TEST_F(FullPath, JoinsRelativePathsToTheCurrentDirectory) {
  char buffer[PATH_MAX];
  std::string temp = ::testing::TempDir();
  ASSERT_TRUE(setCurrentDirectory(temp));
  ASSERT_NE(getcwd(buffer, sizeof buffer), nullptr);
  std::string here = buffer;
  EXPECT_EQ(full("x.txt"), here + "/x.txt");
  EXPECT_EQ(full("sub/../y"), here + "/y");
  EXPECT_EQ(full("/abs"), "/abs");
}

TEST_F(FullPath, FailsOnEmptyAndOverlongPaths) {
  EXPECT_EQ(full(""), "<failed>");
  std::string longName(PATH_MAX + 10, 'x');
  EXPECT_EQ(full(longName), "<failed>");
  EXPECT_EQ(full("/" + longName), "<failed>");
}

}  // namespace
