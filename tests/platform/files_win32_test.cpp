// The directory search and the file reader on Windows.

// The system's old OpenFile function would hide skern's OpenFile record.
#define OpenFile WindowsOpenFile
#include <windows.h>
#undef OpenFile

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/directory_search.h"
#include "platform/file_reader.h"

namespace {

// A fresh folder under the temporary directory, removed again at the end of the test.
class WindowsFolder : public testing::Test {
 protected:
  void SetUp() override {
    char base[MAX_PATH];
    ASSERT_GT(GetTempPathA(MAX_PATH, base), 0u);
    root = std::string(base) + "skern-unit-" + std::to_string(GetCurrentProcessId());
    std::filesystem::remove_all(root);
    ASSERT_TRUE(CreateDirectoryA(root.c_str(), nullptr));
  }
  void TearDown() override {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
      SetFileAttributesA(entry.path().string().c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    std::filesystem::remove_all(root);
  }
  void write(const std::string& name, const std::string& bytes) {
    std::ofstream(root + "\\" + name, std::ios::binary) << bytes;
  }
  std::string root;
};

TEST_F(WindowsFolder, ListingGivesNamesAndAttributes) {
  for (const char* name : {"b.txt", "A.TXT", "c.log", "h.txt", "s.txt", ".dot.txt"})
    write(name, "x");
  ASSERT_TRUE(CreateDirectoryA((root + "\\d.txt").c_str(), nullptr));
  ASSERT_TRUE(SetFileAttributesA((root + "\\h.txt").c_str(), FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(SetFileAttributesA((root + "\\s.txt").c_str(), FILE_ATTRIBUTE_SYSTEM));
  std::string listed;
  for (const DirectoryEntry& e : listDirectory(root + "\\*.txt")) {
    listed +=
        e.name + (e.hidden ? "h" : "") + (e.system ? "s" : "") + (e.directory ? "d" : "") + " ";
  }
  EXPECT_EQ(listed, ".dot.txth A.TXT b.txt d.txtd h.txth s.txts ");
  EXPECT_EQ(listDirectory(root + "/?.TXT").size(), 5u);
  EXPECT_TRUE(listDirectory(root + "\\missing\\*").empty());
  DirectoryIdentity identity;
  EXPECT_FALSE(directoryIdentity(root, identity));
}

TEST_F(WindowsFolder, ReaderGivesRawBytesAndSharesTheFile) {
  const std::string bytes = std::string(
      "a\r\nb\x1A"
      "c\0d",
      8);
  write("f.txt", bytes);
  // Another process holding the file open for writing does not keep skern out.
  HANDLE writer = CreateFileA((root + "\\f.txt").c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  OpenFile file;
  ASSERT_TRUE(openForReading(root + "\\f.txt", file));
  char read[16];
  EXPECT_EQ(readSomeBytes(file, read, sizeof read), 8);
  EXPECT_EQ(std::string(read, 8), bytes);
  EXPECT_EQ(readSomeBytes(file, read, sizeof read), 0);
  ASSERT_TRUE(rewindFile(file));
  char first[3];
  EXPECT_EQ(readSomeBytes(file, first, 3), 3);
  EXPECT_EQ(std::string(first, 3), "a\r\n");
  closeFile(file);
  EXPECT_EQ(file.handle, -1);
  CloseHandle(writer);
  EXPECT_FALSE(openForReading(root + "\\missing.txt", file));
  EXPECT_FALSE(openForReading(root, file));
  EXPECT_FALSE(std::filesystem::exists(root + "\\missing.txt"));
}

}  // namespace
