#include "files/path_parts.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(SplitPattern, CutsAfterTheLastSlashOnly) {
  struct Row {
    const char* pattern;
    const char* directory;
    const char* name;
  };
  const Row rows[] = {
      {"", "", ""},
      {"*.txt", "", "*.txt"},
      {"src/a/*.c", "src/a/", "*.c"},
      {"/var/log/syslog", "/var/log/", "syslog"},
      {"//x", "//", "x"},
      {"dir/", "dir/", ""},
      {"a\\b\\*.txt", "", "a\\b\\*.txt"},  // a backslash is part of a POSIX name
      {"C:x.txt", "", "C:x.txt"},          // no drive prefix
      {"s*/x.txt", "s*/", "x.txt"},
  };
  for (const Row& row : rows) {
    PatternParts parts = splitPattern(row.pattern);
    EXPECT_EQ(parts.directory, row.directory) << row.pattern;
    EXPECT_EQ(parts.name, row.name) << row.pattern;
  }
}

TEST(WithTrailingSeparator, AppendsOneSlashToNonEmptyPaths) {
  const char* rows[][2] = {
      {"", ""}, {"a", "a/"}, {"a/", "a/"}, {"/", "/"}, {"a\\", "a\\/"}, {"a/b", "a/b/"},
  };
  for (auto& row : rows) EXPECT_EQ(withTrailingSeparator(row[0]), row[1]) << row[0];
}

TEST(ExtensionOf, LastDotOfTheLastComponent) {
  const char* rows[][2] = {
      {"x.txt", ".txt"},   {"c.tar.zip", ".zip"},
      {"dir.exe/h", ""},   {"a.b/c.d", ".d"},
      {"g", ""},           {".", ""},
      {"..", ""},          {"sub/..", ""},
      {".h.txt", ".txt"},  {".profile", ".profile"},
      {"x.", "."},         {"a\\b.c", ".c"},
      {"a.b\\c", ".b\\c"}, {"", ""},
  };
  for (auto& row : rows) EXPECT_EQ(extensionOf(row[0]), row[1]) << row[0];
}

TEST(ExtensionSkipped, WholeExtensionsOfTheListRegardlessOfCase) {
  const std::string defaults = ".exe.dll.zip.obj.ao.";
  // The list after "-z.bongo.wongo" has been appended to the defaults.
  const std::string grown = defaults + ".bongo.wongo.";
  struct Row {
    const char* path;
    const std::string* list;
    bool skipped;
  };
  const Row rows[] = {
      {"a.EXE", &defaults, true},
      {"b.Dll", &defaults, true},
      {"c.tar.zip", &defaults, true},
      {"sub/x.ao", &defaults, true},
      {"d.ex", &defaults, false},
      {"e.exe2", &defaults, false},
      {"f.zip.txt", &defaults, false},
      {"g", &defaults, false},
      {"dir.exe/h", &defaults, false},
      {"x.o", &defaults, false},
      {"x.", &defaults, false},
      {"x.bongo", &grown, true},
      {"x.WONGO", &grown, true},
      {"x.ao", &grown, true},
      {"x.", &grown, true},  // ".." stands where ".ao." meets ".bongo."
      {"x.ongo", &grown, false},
      {"x.bong", &grown, false},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(extensionSkipped(row.path, *row.list), row.skipped)
        << row.path << " in " << *row.list;
  }
}

TEST(ExtensionSkipped, NeedsTheClosingDotAndAnEmptyListSkipsNothing) {
  EXPECT_TRUE(extensionSkipped("a.exe", ".exe."));
  EXPECT_FALSE(extensionSkipped("a.exe", ".exe"));
  EXPECT_FALSE(extensionSkipped("a.exe", "exe."));
  for (const char* path : {"a.exe", "b.dll", "x.", "g", "c.zip"}) {
    EXPECT_FALSE(extensionSkipped(path, "")) << path;
  }
}

}  // namespace
