// Folders whose listing fails in a way no case can stage, not even as an unprivileged user: the
// system's opendir and readdir are stood in for in this binary, so that one named folder fails
// to open, or fails part way through its entries, with a chosen error. Such a folder is
// reported at the error level in place of "not found", with the files read before it failed,
// and the walk goes on; a folder that is not there is still only not found.
#include <dirent.h>
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "files/recursion.h"
#include "files/scan_queue.h"
#include "platform/held_directory_posix.h"

namespace {

// The failure that the stand-ins below give the folder `directory` (as opendir is asked for it,
// a final slash aside): opendir fails with `openError`, or readdir with `readError` after
// `readsBefore` entries (at the end of the entries when negative).
struct ListingFault {
  std::string directory;
  int openError = 0;
  int readError = 0;
  long readsBefore = -1;
  DIR* stream = nullptr;  // the folder's stream, once opened
  long reads = 0;
};
ListingFault fault;

std::string withoutFinalSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

}  // namespace

// Stand-ins for the C library's own, which they call for every other folder.
extern "C" DIR* opendir(const char* name) {
  static auto real = reinterpret_cast<DIR* (*)(const char*)>(dlsym(RTLD_NEXT, "opendir"));
  bool faulted = !fault.directory.empty() && withoutFinalSlash(name) == fault.directory;
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
  if (fault.reads == fault.readsBefore) {
    errno = fault.readError;
    return nullptr;
  }
  errno = 0;
  dirent* found = real(stream);
  if (found != nullptr) {
    ++fault.reads;
  } else if (errno == 0 && fault.readsBefore < 0) {
    errno = fault.readError;
  }
  return found;
}

namespace {

// Writes, for every file the walk hands over, "scanned PATH" in its place among the messages.
class Recorder : public UnitScanner {
 public:
  std::shared_ptr<SplitFile> scanFile(const FileToScan& file, ScanSink& out, bool) override {
    out.message(MessageLevel::kAll, "scanned " + file.path + "\n");
    return nullptr;
  }
  void scanPiece(SplitFile&, std::uint64_t, ScanSink&) override {}
};

class UnlistedFolder : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/skern-walk-XXXXXX";
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
  // The messages of a recursive walk of `pattern`, at the level `everything` or at the error
  // level, with the files scanned among them; every path shortened to what follows the root.
  std::string walked(const std::string& pattern, bool everything = false) {
    std::FILE* messages = std::tmpfile();
    OutputStreams streams;
    streams.diagnosticStream = messages;
    WalkOptions options;
    options.recurse = true;
    options.verboseAll = everything;
    options.verboseErrors = true;
    threadDirectory().release();  // each walk opens its folders afresh
    {
      ScanQueue queue([] { return std::make_unique<Recorder>(); }, streams, 1);
      Walk(options, queue).findrecurse(root + "/" + pattern);
      queue.close();
      queue.finish();
    }
    std::string all;
    std::rewind(messages);
    for (int c; (c = std::fgetc(messages)) != EOF;) all += static_cast<char>(c);
    std::fclose(messages);
    for (std::size_t at; (at = all.find(root + "/")) != std::string::npos;) {
      all.erase(at, root.size() + 1);
    }
    return all;
  }
  void failOpen(const std::string& folder, int error) {
    fault = ListingFault();
    fault.directory = root + folder;
    fault.openError = error;
  }
  void failRead(const std::string& folder, int error, long readsBefore) {
    fault = ListingFault();
    fault.directory = root + folder;
    fault.readError = error;
    fault.readsBefore = readsBefore;
  }

  std::string root;
};

TEST_F(UnlistedFolder, FailingToOpenForAnyReasonButAbsenceIsReportedAndTheWalkGoesOn) {
  for (int error : {EACCES, EIO, ENOMEM, EMFILE, ELOOP, ENAMETOOLONG}) {
    failOpen("/sub", error);
    EXPECT_EQ(walked("*.txt"),
              "scanned a.txt\nscanned b.txt\n"
              "skern:findrecurse(\"sub/*.txt\"):couldn't list\n"
              "scanned z/d.txt\n")
        << "errno " << error;
  }
}

TEST_F(UnlistedFolder, AFolderThatFailsPartWayGivesTheFilesReadBeforeAndNoNotFound) {
  // Every entry read, then an I/O error in place of the end: the files are all there.
  failRead("", EIO, -1);
  EXPECT_EQ(walked("*.txt", true),
            "skern:findrecurse(\"*.txt\"):recursion 0\n"
            "scanned a.txt\nscanned b.txt\n"
            "skern:findrecurse(\"*.txt\"):couldn't list\n"
            "skern:findrecurse(\"sub/*.txt\"):recursion 1\nscanned sub/c.txt\n"
            "skern:findrecurse(\"z/*.txt\"):recursion 1\nscanned z/d.txt\n");
  // An error before the first entry: nothing to scan or enter, and no not-found message.
  failRead("", EIO, 0);
  EXPECT_EQ(walked("*.txt", true),
            "skern:findrecurse(\"*.txt\"):recursion 0\n"
            "skern:findrecurse(\"*.txt\"):couldn't list\n");
  failRead("/sub", ENOMEM, 0);
  EXPECT_EQ(walked("*.txt"),
            "scanned a.txt\nscanned b.txt\n"
            "skern:findrecurse(\"sub/*.txt\"):couldn't list\n"
            "scanned z/d.txt\n");
}

TEST_F(UnlistedFolder, AFolderPartlyReadHoldsNoEntryItDidNotRead) {
  // Three entries of six ("." and ".." among them) read before the error: whatever they are,
  // the listing gives no more than those, and says it is incomplete.
  failRead("/sub", EIO, 3);
  std::ofstream(root + "/sub/e.txt") << "x\n";
  std::filesystem::create_directory(root + "/sub/deeper");
  DirectoryListing listing = listDirectory(root + "/sub/*", true);
  EXPECT_TRUE(listing.incomplete);
  EXPECT_LE(listing.matches.size(), 3u);
  EXPECT_LE(listing.subdirectories.size(), 1u);
}

TEST_F(UnlistedFolder, AFolderThatIsNotThereIsOnlyNotFound) {
  EXPECT_FALSE(listDirectory(root + "/none/*.txt", true).incomplete);
  EXPECT_FALSE(listDirectory(root + "/a.txt/*.txt", true).incomplete);
  EXPECT_EQ(walked("none/*.txt", true),
            "skern:findrecurse(\"none/*.txt\"):recursion 0\n"
            "skern:findify():\"none/*.txt\" not found.\n");
  // Without the full level nothing is said of it.
  EXPECT_EQ(walked("a.txt/*.txt"), "");
}

}  // namespace
