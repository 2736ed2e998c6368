// skern never changes what it searches: after runs with every option that reaches files, each
// entry of the tree has its kind, mode, size, content, link target, modification and change
// times as before, and no entry has come or gone.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/harness.h"

namespace {

// Everything recorded about one entry, as one comparable text.
std::string describe(const std::filesystem::path& path) {
  struct stat info;
  if (lstat(path.c_str(), &info) != 0) return "gone";
  std::ostringstream out;
  out << "mode " << std::oct << info.st_mode << std::dec << " size " << info.st_size << " inode "
      << info.st_ino << " links " << info.st_nlink << " mtime " << info.st_mtim.tv_sec << "."
      << info.st_mtim.tv_nsec << " ctime " << info.st_ctim.tv_sec << "." << info.st_ctim.tv_nsec;
  if (S_ISREG(info.st_mode)) {
    std::ifstream file(path, std::ios::binary);
    out << " content " << file.rdbuf();
  } else if (S_ISLNK(info.st_mode)) {
    out << " target " << std::filesystem::read_symlink(path).string();
  }
  return out.str();
}

std::map<std::string, std::string> snapshot(const std::string& root) {
  std::map<std::string, std::string> entries;
  entries["."] = describe(root);
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    entries[entry.path().lexically_relative(root).string()] = describe(entry.path());
  }
  return entries;
}

TEST(Unchanged, NoRunChangesTheSearchedTree) {
  TempTree tree;
  tree.write("a.txt", "stuff and bongo\nnothing\nmore stuff\n");
  tree.write("crlf.txt", "stuff\r\nbingo\r\n");
  tree.write("binary.dat", "stuff\n" + std::string(300, '\x01'));
  tree.write("tool.exe", "stuff in a program\n");
  tree.write("empty.txt", "");
  tree.write(".hidden.txt", "stuff hidden\n");
  tree.write("sub/deep/b.txt", "bongo\nstuff\nbingo\n");
  tree.write("readonly.txt", "stuff read-only\n");
  tree.write("closed.txt", "stuff nobody may read\n");
  std::string root = tree.root();
  chmod((root + "/readonly.txt").c_str(), 0444);
  chmod((root + "/closed.txt").c_str(), 0);
  chmod((root + "/sub").c_str(), 0555);
  ASSERT_EQ(symlink("a.txt", (root + "/link.txt").c_str()), 0);
  ASSERT_EQ(symlink("sub", (root + "/sublink").c_str()), 0);
  ASSERT_EQ(symlink("nowhere", (root + "/dangling.txt").c_str()), 0);
  ASSERT_EQ(mkfifo((root + "/pipe.txt").c_str(), 0644), 0);
  // Times far in the past, so that any write, even within the same second, would show.
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
    utimensat(AT_FDCWD, entry.path().c_str(), old, AT_SYMLINK_NOFOLLOW);
  }
  std::map<std::string, std::string> before = snapshot(root);

  const std::vector<std::vector<std::string>> runs = {
      {"-s", "stuff", "*"},
      {"-d", "-v", "stuff", "*.*"},
      {"-s", "-b10", "-ve", "stuff", "*"},
      {"-s", "-b25:400", "stuff", "*"},
      {"-s", "-z-", "stuff", "*"},
      {"-s", "-z.txt", "-vs", "stuff", "*"},
      {"-s", "-a", "-+2", "stuff&bongo|bingo", "*"},
      {"-s", "-a", "-#10", "-w", "stuff&bongo", "*"},
      {"-s", "-w", "-i-", "-c-", "-n", "bingo|bongo", "*"},
      {"-t", "-r5", "stuff", "-f.hidden.txt", "-fpipe.txt", "-fclosed.txt", "-psub", "*"},
      {"-v", "stuff", "dangling.txt", "pipe.txt", "sublink/*", "missing/*"},
  };
  for (const std::vector<std::string>& arguments : runs) {
    RunResult r = runSkern(arguments, root);
    EXPECT_NE(r.status, 3) << arguments[0] << " " << arguments[1];
  }
  RunResult waited = runSkern({"-k", "-s", "stuff", "*"}, root, true);
  EXPECT_EQ(waited.status, 0);

  std::map<std::string, std::string> after = snapshot(root);
  EXPECT_EQ(after, before);
  chmod((root + "/sub").c_str(), 0755);
}

}  // namespace
