// The POSIX file reader: files read ahead in batches come out exactly as on disk, in any order,
// whatever took their place, however few descriptors are left, and leave no descriptor open.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_reader.h"

namespace {

int openDescriptors() {
  auto entries = std::filesystem::directory_iterator("/proc/self/fd");
  return static_cast<int>(std::distance(begin(entries), end(entries)));
}

// Sizes around the bytes read with the open (65536) and with the read after it (4096).
const std::size_t kSizes[] = {0,     1,     17,    100,   4095,  4096,   4097,  20000,
                              65535, 65536, 65537, 69632, 69633, 140000, 200000};

// The bytes of file number `file`: a size of kSizes, bytes that differ from file to file.
std::string contentOf(int file) {
  std::string bytes(kSizes[file % std::size(kSizes)], '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i)
    bytes[i] = static_cast<char>((i * 131 + file * 7) % 251);
  return bytes;
}

class Reader : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/skern-reader-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root = pattern;
    descriptors = openDescriptors();
    reader.emplace();
  }
  void TearDown() override {
    reader.reset();
    EXPECT_EQ(openDescriptors(), descriptors) << "descriptors left open";
    std::filesystem::remove_all(root);
  }
  // The whole of `path` as the reader gives it: what came with the open, then reads of 7,000
  // bytes up to one that gives nothing; "<no open>" when it cannot be opened.
  std::string readAll(const std::string& path) {
    OpenFile file;
    if (!reader->open(path, file)) return "<no open>";
    std::string bytes(file.ahead);
    char block[7000];
    for (long long got;
         !file.aheadIsWhole && (got = readBytesAt(file, block, sizeof block, bytes.size())) > 0;)
      bytes.append(block, static_cast<std::size_t>(got));
    reader->close(file);
    return bytes;
  }
  std::string write(const std::string& name, const std::string& bytes) {
    std::ofstream(root + "/" + name, std::ios::binary) << bytes;
    return root + "/" + name;
  }
  std::string root;
  int descriptors = 0;
  std::optional<FileReader> reader;
};

// Files listed, then removed or replaced by a directory or a FIFO, are not opened (a FIFO may
// give nothing, and never blocks); every other one comes out as on disk, in batches that span
// two folders, whatever share of its operations the ring fails, with descriptors running out,
// read in order, backwards or out of turn, among files not announced, and removed once opened.
TEST_F(Reader, FilesThatChangedSinceTheListingInBatchesThatFail) {
  std::vector<std::string> paths, truth;
  for (int d = 0; d < 3; ++d) ASSERT_EQ(mkdir((root + "/" + std::to_string(d)).c_str(), 0755), 0);
  for (int i = 0; i < 300; ++i) {
    truth.push_back(contentOf(i));
    paths.push_back(write(std::to_string(i / 100) + "/" + std::to_string(i), truth.back()));
    if (i % 50 != 7 && i % 50 != 31 && i % 50 != 43) continue;
    truth.back() = "<no open>";
    ASSERT_EQ(unlink(paths.back().c_str()), 0);
    const char* path = paths.back().c_str();
    ASSERT_EQ(i % 50 == 31 ? mkdir(path, 0755) : i % 50 == 43 ? mkfifo(path, 0644) : 0, 0);
  }
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
  // One in `every` operations of the ring failed, where it joins them (else each is a plain
  // call); last (the batch size already set), none, with room for far fewer files than a batch.
  for (int every : {0, 1, 2, 3, 7, -1}) {
    if (every > 0 && !reader->batchesAreJoined()) continue;
    reader->failBatchOperations(static_cast<unsigned>(std::max(every, 0)));
    rlimit low = {static_cast<rlim_t>(openDescriptors() + 3), saved.rlim_max};
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, every < 0 ? &low : &saved), 0);
    reader->expectFiles(paths);
    std::vector<std::string> got(paths.size());
    for (std::size_t n = 0; n < paths.size(); ++n) {  // backwards, or in order with 3 read last
      std::size_t i = every % 2 != 0          ? paths.size() - 1 - n
                      : n + 1 == paths.size() ? 3
                                              : n + (n >= 3);
      got[i] = readAll(paths[i]);
      if (n == 10 && every >= 0) {  // a file not announced
        EXPECT_EQ(readAll(write("other", "new")), "new");
      }
      if (n == 0 && every == 0) {  // its batch opened
        ASSERT_EQ(unlink(paths[5].c_str()), 0);
      }
    }
    reader->reset();
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &saved), 0);
    for (std::size_t i = 0; i < paths.size(); ++i) {
      EXPECT_TRUE(got[i] == truth[i] || (i % 50 == 43 && got[i].empty()))
          << "pass " << every << ": " << paths[i] << " gave " << got[i].size() << " bytes for "
          << truth[i].size();
    }
    truth[5] = "<no open>";  // removed in the first pass
  }
}

}  // namespace
