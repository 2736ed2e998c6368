// The POSIX file reader: files read ahead in batches come out exactly as on disk, in any order,
// whatever took their place, however few descriptors are left; once the reader is gone, no
// descriptor of its own (files, directory, ring) stays open.
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

// Bytes that differ from file to file and from place to place.
std::string contentOf(int file, std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + file * 7) % 251);
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

TEST_F(Reader, EveryFileComesOutWholeInAnyOrder) {
  // Sizes around the bytes read with the open, over more files than one batch holds.
  const std::size_t sizes[] = {0, 1, 65535, 65536, 65537, 200000, 17};
  std::vector<std::string> paths;
  for (int i = 0; i < 45; ++i)
    paths.push_back(write(std::to_string(i), contentOf(i, sizes[i % 7])));
  reader->expectFiles(paths);
  // In order with one passed over, then that one, one never announced, and some backwards.
  // The files after the one passed over still come from the batch read ahead: one removed
  // once its batch was opened is still read.
  std::vector<int> order;
  for (int i = 0; i < 45; ++i)
    if (i != 3) order.push_back(i);
  order.insert(order.end(), {3, -1, 44, 43, 42});
  for (int i : order) {
    std::string path = i < 0 ? write("other", "not announced") : paths[i];
    EXPECT_EQ(readAll(path), i < 0 ? "not announced" : contentOf(i, sizes[i % 7])) << path;
    ASSERT_TRUE(i != 0 || unlink(paths[5].c_str()) == 0);
  }
}

TEST_F(Reader, BatchesThatRunOutOfDescriptors) {
  std::vector<std::string> paths, got;
  for (int i = 0; i < 40; ++i) paths.push_back(write(std::to_string(i), contentOf(i, 100 + i)));
  EXPECT_EQ(readAll(paths[0]), contentOf(0, 100));  // the batch size is set by the limit now
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
  rlimit low = {static_cast<rlim_t>(openDescriptors() + 3), saved.rlim_max};
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);  // room for far fewer files than a batch opens
  reader->expectFiles(paths);
  for (const std::string& path : paths) got.push_back(readAll(path));
  reader->reset();
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &saved), 0);
  for (int i = 0; i < 40; ++i) EXPECT_EQ(got[i], contentOf(i, 100 + i)) << i;
}

// Files listed, then removed or replaced by a directory or a FIFO, are not opened (a FIFO may
// give nothing, and never blocks). Whatever share of its operations the ring gives up on, and
// in whichever way, every other file comes out as it is on disk.
TEST_F(Reader, FilesThatChangedSinceTheListingAndOperationsTheRingFails) {
  // Sizes around the bytes read with the open and the read after it.
  const std::size_t sizes[] = {0,     1,     100,   4095,  4096,  4097,  20000,
                               65535, 65536, 65537, 69632, 69633, 140000};
  std::vector<std::string> paths, truth;
  for (int d = 0; d < 3; ++d) ASSERT_EQ(mkdir((root + "/" + std::to_string(d)).c_str(), 0755), 0);
  for (int i = 0; i < 300; ++i) {
    truth.push_back(contentOf(i, sizes[i % 13]));
    paths.push_back(write(std::to_string(i / 100) + "/" + std::to_string(i), truth.back()));
    if (i % 50 != 7 && i % 50 != 31 && i % 50 != 43) continue;
    truth.back() = "<no open>";
    ASSERT_EQ(unlink(paths.back().c_str()), 0);
    const char* path = paths.back().c_str();
    ASSERT_EQ(i % 50 == 31 ? mkdir(path, 0755) : i % 50 == 43 ? mkfifo(path, 0644) : 0, 0);
  }
  std::vector<unsigned> failing = {0};
  if (reader->batchesAreJoined()) failing = {0, 1, 2, 3, 7};  // else each is a plain call
  for (unsigned every : failing) {
    reader->failBatchOperations(every);
    // Read as a scan reads them: announced 16 at a time, then opened in that order.
    for (std::size_t i = 0; i < paths.size(); ++i) {
      if (i % 16 == 0) {
        auto from = paths.begin() + static_cast<std::ptrdiff_t>(i);
        reader->expectFiles(std::vector<std::string>(
            from, from + std::min<std::ptrdiff_t>(16, paths.end() - from)));
      }
      std::string got = readAll(paths[i]);
      EXPECT_TRUE(got == truth[i] || (i % 50 == 43 && got.empty()))
          << "one in " << every << " failed: " << paths[i] << " gave " << got.size()
          << " bytes for " << truth[i].size();
    }
    reader->reset();
    reader->failBatchOperations(0);
  }
}

// A batch shares the directory of its first path; a path elsewhere, or a name relative to the
// current directory, is still opened by its whole name.
TEST_F(Reader, PathsBesideTheSharedDirectory) {
  ASSERT_EQ(mkdir((root + "/x").c_str(), 0755), 0);
  std::vector<std::string> paths = {write("x/in", "in x"), write("beside", "beside x")};
  reader->expectFiles(paths);
  // (In this order: the first names the directory.)
  EXPECT_EQ(readAll(paths[0]) + "," + readAll(paths[1]), "in x,beside x");
  write("x1", "relative");
  const std::filesystem::path home = std::filesystem::current_path();
  std::filesystem::current_path(root);
  reader->expectFiles(std::vector<std::string>{"x1", "beside"});
  EXPECT_EQ(readAll("x1") + "," + readAll("beside"), "relative,beside x");
  std::filesystem::current_path(home);
}

}  // namespace
