// The POSIX file reader: files opened and read ahead in batches must come out exactly as they
// are on disk, whatever order they are asked for in, and whatever took their place.

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/file_reader.h"
#include "platform/io_batch.h"

namespace {

class ReaderFolder : public testing::Test {
 protected:
  void SetUp() override {
    resetFileAccess();
    char pattern[] = "/tmp/skern-reader-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root = pattern;
    batchesAreJoined();  // the batch interface, once set up, stays open
    fdsBefore = openDescriptors();
  }
  void TearDown() override {
    resetFileAccess();
    EXPECT_EQ(openDescriptors(), fdsBefore) << "descriptors left open";
    std::filesystem::remove_all(root);
  }
  std::string write(const std::string& name, const std::string& bytes) {
    std::ofstream(root + "/" + name, std::ios::binary) << bytes;
    return root + "/" + name;
  }
  // The whole of `path` as the reader gives it; "<no open>" when it cannot be opened.
  static std::string readAll(const std::string& path) {
    OpenFile file;
    if (!openForReading(path, file)) return "<no open>";
    std::string bytes = std::string(file.ahead) + (file.aheadIsWhole ? "" : rest(file));
    closeFile(file);
    return bytes;
  }
  // The bytes of `file` from where it stands to its end: a read that gives nothing.
  static std::string rest(OpenFile& file) {
    std::string bytes;
    char block[7000];
    for (long long got; (got = readSomeBytes(file, block, sizeof block)) > 0;) {
      bytes.append(block, static_cast<std::size_t>(got));
    }
    return bytes;
  }
  static int openDescriptors() {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
      (void)entry;
      ++count;
    }
    return count;
  }
  std::string root;
  int fdsBefore = 0;
};

// Bytes that differ from file to file and from place to place.
std::string contentOf(int file, std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + file * 7) % 251);
  return bytes;
}

TEST_F(ReaderFolder, EveryFileComesOutWholeInAnyOrder) {
  // Sizes around the bytes read with the open, over more files than one batch holds.
  const std::size_t sizes[] = {0, 1, 65535, 65536, 65537, 200000, 17};
  std::vector<std::string> paths;
  std::vector<std::string> contents;
  for (int i = 0; i < 45; ++i) {
    contents.push_back(contentOf(i, sizes[i % 7]));
    paths.push_back(write(std::to_string(100 + i), contents.back()));
  }
  expectFiles(paths);
  // In order, with one passed over, then the passed-over one and one never announced.
  for (int i = 0; i < 45; ++i) {
    if (i == 3) continue;
    EXPECT_EQ(readAll(paths[i]), contents[i]) << paths[i];
  }
  EXPECT_EQ(readAll(paths[3]), contents[3]);
  std::string other = write("other", "not announced");
  EXPECT_EQ(readAll(other), "not announced");
  // Asked for backwards, each file is opened on its own.
  for (int i = 44; i >= 40; --i) EXPECT_EQ(readAll(paths[i]), contents[i]);
}

TEST_F(ReaderFolder, BatchesThatRunOutOfDescriptors) {
  std::vector<std::string> paths;
  for (int i = 0; i < 40; ++i) paths.push_back(write(std::to_string(i), contentOf(i, 100 + i)));
  // Room for the directory and a few files only, far fewer than a batch opens (whose size
  // was set by the limit at the first open).
  EXPECT_EQ(readAll(paths[0]), contentOf(0, 100));
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
  rlimit low = saved;
  low.rlim_cur = static_cast<rlim_t>(openDescriptors() + 3);
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
  expectFiles(paths);
  std::vector<std::string> got;
  for (const std::string& path : paths) got.push_back(readAll(path));
  resetFileAccess();
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &saved), 0);
  for (int i = 0; i < 40; ++i) EXPECT_EQ(got[i], contentOf(i, 100 + i)) << i;
}

TEST_F(ReaderFolder, FilesThatChangedSinceTheListing) {
  std::string before = write("a", "first");
  std::string gone = write("gone", "x");
  std::string directory = write("dir", "x");
  std::string fifo = write("fifo", "x");
  std::string after = write("b", "last");
  expectFiles({before, gone, directory, fifo, after});
  ASSERT_EQ(unlink(gone.c_str()), 0);
  ASSERT_EQ(unlink(directory.c_str()), 0);
  ASSERT_EQ(mkdir(directory.c_str(), 0755), 0);
  ASSERT_EQ(unlink(fifo.c_str()), 0);
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  EXPECT_EQ(readAll(before), "first");
  EXPECT_EQ(readAll(gone), "<no open>");
  EXPECT_EQ(readAll(directory), "<no open>");
  // A FIFO never blocks the reader and gives nothing.
  std::string fromFifo = readAll(fifo);
  EXPECT_TRUE(fromFifo == "" || fromFifo == "<no open>") << fromFifo;
  EXPECT_EQ(readAll(after), "last");
}

TEST(IoBatch, LinkedReadsFollowEachOtherAndResultsAreThoseOfSingleCalls) {
  std::string present = "/tmp/skern-batch-" + std::to_string(getpid());
  std::ofstream(present, std::ios::binary) << "twelve bytes";
  std::vector<BatchOp> opens(2);
  for (BatchOp& open : opens) {
    open.fd = AT_FDCWD;
    open.openFlags = O_RDONLY | O_CLOEXEC;
  }
  opens[0].name = present.c_str();
  std::string missing = present + "-missing";
  opens[1].name = missing.c_str();
  ASSERT_TRUE(runBatch(opens));
  ASSERT_GE(opens[0].result, 0);
  EXPECT_EQ(opens[1].result, -ENOENT);
  // A read linked to the next: the second goes on where the first ended, and the third,
  // at the end, gives nothing.
  char into[3][8];
  std::vector<BatchOp> reads(3);
  for (int i = 0; i < 3; ++i) {
    reads[i].kind = BatchOp::kRead;
    reads[i].fd = static_cast<int>(opens[0].result);
    reads[i].into = into[i];
    reads[i].most = 8;
    reads[i].thenNext = i < 2;
  }
  ASSERT_TRUE(runBatch(reads));
  EXPECT_EQ(std::string(into[0], reads[0].result) + std::string(into[1], reads[1].result),
            "twelve bytes");
  EXPECT_EQ(reads[2].result, 0);
  BatchOp close;
  close.kind = BatchOp::kClose;
  close.fd = static_cast<int>(opens[0].result);
  ASSERT_TRUE(runBatch(std::span<BatchOp>(&close, 1)));
  EXPECT_EQ(close.result, 0);
  std::vector<BatchOp> tooMany(kBatchLimit + 1);
  EXPECT_FALSE(runBatch(tooMany));
  unlink(present.c_str());
}

}  // namespace
