// Mapped bytes on POSIX: a page that a shortened file lost reads as zeros on the thread that
// mapped it, and is told once; any other bus error still ends the process with its signal.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/mapped_bytes.h"

namespace {

constexpr std::size_t kPages = 4;

class Mapped : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/skern-mapped-XXXXXX";
    descriptor_ = mkstemp(pattern);
    ASSERT_GE(descriptor_, 0);
    path_ = pattern;
    page_ = mappingGranularity();
    const std::string bytes(kPages * page_, 'a');
    ASSERT_EQ(write(descriptor_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    file_.handle = descriptor_;
    file_.size = static_cast<long long>(bytes.size());
  }
  void TearDown() override {
    close(descriptor_);
    unlink(path_.c_str());
  }

  // The sum of the bytes mapped: touches every page.
  static long sum(const MappedBytes& mapped) {
    long total = 0;
    for (std::size_t i = 0; i < mapped.size; ++i) total += mapped.bytes[i];
    return total;
  }

  int descriptor_ = -1;
  std::string path_;
  std::size_t page_ = 0;
  OpenFile file_;
};

TEST_F(Mapped, PagesLostToAShortenedFileReadAsZerosAndAreToldOnce) {
  MappedBytes mapped = mapFileBytes(file_, 0, kPages * page_);
  ASSERT_NE(mapped.bytes, nullptr);
  EXPECT_EQ(sum(mapped), 'a' * static_cast<long>(kPages * page_));
  EXPECT_FALSE(mappedBytesLost());
  // Shortened inside its second page: the rest of that page reads as zeros without a fault,
  // the pages after it fault and become zeros.
  ASSERT_EQ(ftruncate(descriptor_, static_cast<off_t>(page_ + 100)), 0);
  EXPECT_EQ(sum(mapped), 'a' * static_cast<long>(page_ + 100));
  EXPECT_TRUE(mappedBytesLost());
  EXPECT_FALSE(mappedBytesLost());
  unmapFileBytes(mapped);
  EXPECT_EQ(mapped.bytes, nullptr);
}

using MappedDeathTest = Mapped;

// Ended as the bus error's action before skern's handler ends it: by the signal, or under a
// sanitizer by the sanitizer's report.
bool endedByBusError(int status) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  if (WIFEXITED(status) && WEXITSTATUS(status) != 0) return true;
#endif
  return WIFSIGNALED(status) && WTERMSIG(status) == SIGBUS;
}

TEST_F(MappedDeathTest, OtherBusErrorsEndTheProcessWithTheirSignal) {
  MappedBytes mapped = mapFileBytes(file_, 0, page_);  // the handler is in place
  ASSERT_NE(mapped.bytes, nullptr);
  EXPECT_EXIT(raise(SIGBUS), endedByBusError, "");
  // A fault on a page that no scan of this thread mapped: the file mapped by other means.
  EXPECT_EXIT(
      {
        void* other = mmap(nullptr, 2 * page_, PROT_READ, MAP_PRIVATE, descriptor_, 0);
        if (other == MAP_FAILED || ftruncate(descriptor_, 0) != 0) std::exit(0);
        std::exit(static_cast<const volatile char*>(other)[page_]);
      },
      endedByBusError, "");
  unmapFileBytes(mapped);
}

}  // namespace
