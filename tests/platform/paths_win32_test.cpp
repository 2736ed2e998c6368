// Paths on Windows: both slashes separate, a drive prefix belongs to the directory part, and
// full paths come from GetFullPathNameA.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "files/path_parts.h"
#include "platform/current_directory.h"
#include "platform/full_path.h"
#include "platform/host.h"

namespace {

TEST(WindowsPaths, SplitPatternAtEitherSlashOrTheDrive) {
  struct Row {
    const char* pattern;
    const char* directory;
    const char* name;
  } rows[] = {
      {"*.txt", "", "*.txt"},
      {"a\\b\\*.txt", "a\\b\\", "*.txt"},
      {"a/b\\c/*.c", "a/b\\c/", "*.c"},
      {"C:x.txt", "C:", "x.txt"},
      {"C:\\x.txt", "C:\\", "x.txt"},
      {"z:", "z:", ""},
      {"1:x", "", "1:x"},
      {"C:\\a\\", "C:\\a\\", ""},
  };
  for (const Row& row : rows) {
    PatternParts parts = splitPattern(row.pattern);
    EXPECT_EQ(parts.directory, row.directory) << row.pattern;
    EXPECT_EQ(parts.name, row.name) << row.pattern;
  }
}

TEST(WindowsPaths, BackslashIsAppendedAndSlashesEndComponents) {
  const char* separated[][2] = {
      {"", ""}, {"a", "a\\"}, {"a\\", "a\\"}, {"a/", "a/\\"}, {"C:", "C:\\"}};
  for (auto& row : separated) EXPECT_EQ(withTrailingSeparator(row[0]), row[1]) << row[0];
  const char* extensions[][2] = {{"a.b\\c", ""}, {"a.b/c", ""}, {"C:.txt", ".txt"}, {"d\\..", ""}};
  for (auto& row : extensions) EXPECT_EQ(extensionOf(row[0]), row[1]) << row[0];
  EXPECT_TRUE(slashIsOptionLeadIn());
}

TEST(WindowsPaths, FullPathIsLexicalAndLimitedTo260Bytes) {
  std::string saved = currentDirectory();
  ASSERT_FALSE(saved.empty());
  ASSERT_TRUE(setCurrentDirectory("C:\\windows"));
  EXPECT_EQ(currentDirectory(), "C:\\windows");
  std::string full;
  ASSERT_TRUE(fullPath("sub/../a.txt", full));
  EXPECT_EQ(full, "C:\\windows\\a.txt");
  ASSERT_TRUE(fullPath("D:\\x\\.\\y", full));
  EXPECT_EQ(full, "D:\\x\\y");
  // 259 bytes and the NUL fit the buffer; one more does not.
  EXPECT_TRUE(fullPath("C:\\" + std::string(256, 'n'), full));
  EXPECT_EQ(full.size(), 259u);
  EXPECT_FALSE(fullPath("C:\\" + std::string(257, 'n'), full));
  EXPECT_FALSE(setCurrentDirectory("C:\\no such directory here"));
  EXPECT_TRUE(setCurrentDirectory(saved));
}

}  // namespace
