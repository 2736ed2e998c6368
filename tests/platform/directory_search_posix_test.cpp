// Folders whose listing fails in ways no case can stage: opendir and readdir are stood in for in
// this binary. Such a listing is incomplete and holds the entries read before the failure; the
// walk searches those and enters the folders among them.
#include <dirent.h>
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>

#include "files/recursion.h"
#include "platform/directory_search.h"
#include "platform/held_directory_posix.h"

namespace {

// The failure the stand-ins give the folder `directory` (exactly as opendir is asked for it):
// opendir fails with `openError`, or readdir with `readError` after `readsBefore` entries or
// (-1) at the end.
struct ListingFault {
  std::string directory;
  int openError = 0;
  int readError = 0;
  long readsBefore = -1;
  DIR* stream = nullptr;  // the folder's stream, once opened
  long reads = 0;
};
ListingFault fault;

}  // namespace

// Stand-ins for the C library's own, which they call for every other folder.
extern "C" DIR* opendir(const char* name) {
  static auto real = reinterpret_cast<DIR* (*)(const char*)>(dlsym(RTLD_NEXT, "opendir"));
  bool faulted = name == fault.directory;
  if (faulted && fault.openError != 0) {
    errno = fault.openError;
    return nullptr;
  }
  DIR* stream = real(name);
  if (faulted || stream == fault.stream) {  // (another folder may take a closed one's place)
    fault.stream = faulted ? stream : nullptr;
    fault.reads = 0;
  }
  return stream;
}

extern "C" dirent* readdir(DIR* stream) {
  static auto real = reinterpret_cast<dirent* (*)(DIR*)>(dlsym(RTLD_NEXT, "readdir"));
  if (stream != fault.stream || fault.readError == 0) return real(stream);
  dirent* found = fault.reads++ == fault.readsBefore ? nullptr : real(stream);
  if (found == nullptr) errno = fault.readError;  // before the end, or in its place
  return found;
}

namespace {

class UnlistedFolder : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/skern-listing-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root = pattern;
    for (const char* name : {"a.txt", "b.txt", "sub/c.txt", "z/d.txt"}) {
      std::filesystem::create_directories(std::filesystem::path(root + "/" + name).parent_path());
      std::ofstream(root + "/" + name) << "x\n";
    }
  }
  void TearDown() override {
    fault = ListingFault();
    threadDirectory().release();
    std::filesystem::remove_all(root);
  }
  // The listing of `folder` below the root for `pattern`: "matches | subdirectories incomplete".
  std::string listed(const std::string& folder, const char* pattern = "*.txt") {
    threadDirectory().release();  // each listing opens its folder afresh
    DirectoryListing listing = HostDirectoryLister().list(root + folder, pattern, true);
    std::string all;
    for (const DirectoryEntry& entry : listing.matches) all += entry.name + " ";
    all += "|";
    for (const DirectoryEntry& entry : listing.subdirectories) all += " " + entry.name;
    return listing.incomplete ? all + " incomplete" : all;
  }
  std::string root;
};

TEST_F(UnlistedFolder, FailingToOpenOrPartWayGivesAnIncompleteListingOfTheEntriesReadBefore) {
  for (int error : {EACCES, EIO, ENOMEM, EMFILE, ELOOP, ENAMETOOLONG}) {
    fault = {root + "/sub/", error};
    EXPECT_EQ(listed("/sub/") + "," + listed("/"), "| incomplete,a.txt b.txt | sub z") << error;
  }
  fault = {root + "/", 0, EIO};  // every entry read, then an error in place of the end
  EXPECT_EQ(listed("/"), "a.txt b.txt | sub z incomplete");
  fault = {root + "/", 0, ENOMEM, 0};
  EXPECT_EQ(listed("/"), "| incomplete");
  // Three entries of six ("." and ".." among them): whatever they are, those three only.
  fault = {root + "/", 0, EIO, 3};
  const std::string three = listed("/", "*");
  EXPECT_EQ(std::count(three.begin(), three.begin() + three.find('|'), ' '), 3) << three;
  EXPECT_TRUE(three.ends_with(" incomplete")) << three;
}

// What the walk hands over: "files: PATH..." for each listing, its messages as they are.
struct Record : WalkSink {
  void addFiles(std::vector<FileToScan> files) override {
    text += "files:";
    for (const FileToScan& file : files) text += " " + file.path;
    text += "\n";
  }
  void addMessage(std::string_view message) override { text += message; }
  std::string text;
};

TEST_F(UnlistedFolder, TheWalkReportsAListingThatFailsPartWayAfterWhatItGave) {
  fault = {root + "/", 0, EIO};  // every entry read, then an error in place of the end
  Record record;
  HostDirectoryLister lister;
  threadDirectory().release();
  Walk({.skipExtensions = "", .recurse = true, .verboseAll = true, .verboseErrors = true}, lister,
       record)
      .findrecurse(root + "/*.txt");
  for (std::size_t at; (at = record.text.find(root)) != std::string::npos;)
    record.text.replace(at, root.size(), "<root>");
  EXPECT_EQ(record.text,
            "skern:findrecurse(\"<root>/*.txt\"):recursion 0\nfiles: <root>/a.txt <root>/b.txt\n"
            "skern:findrecurse(\"<root>/*.txt\"):couldn't list\n"
            "skern:findrecurse(\"<root>/sub/*.txt\"):recursion 1\nfiles: <root>/sub/c.txt\n"
            "skern:findrecurse(\"<root>/z/*.txt\"):recursion 1\nfiles: <root>/z/d.txt\n");
}

}  // namespace
