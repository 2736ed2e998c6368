#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/cpu_count.h"

namespace {

// Control groups as the kernel shows them, in a folder of the test's own.
class CgroupQuota : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = std::filesystem::temp_directory_path() / ("skern-cgroup-" + std::to_string(getpid()));
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_);
  }
  void TearDown() override { std::filesystem::remove_all(root_); }
  // Writes `text` to the file at `path` below the root, making its folders.
  void write(const std::string& path, const std::string& text) {
    std::filesystem::path file = root_ / path;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file) << text;
  }
  int quota() { return cgroupCpuQuota((root_ / "groups").string(), (root_ / "sys").string()); }

  std::filesystem::path root_;
};

TEST_F(CgroupQuota, UnifiedHierarchyTakesTheLeastOnTheWayUp) {
  write("groups", "0::/a/b\n");
  EXPECT_EQ(quota(), 0);  // no cpu.max anywhere
  write("sys/a/b/cpu.max", "max 100000\n");
  EXPECT_EQ(quota(), 0);
  write("sys/a/b/cpu.max", "250000 100000\n");
  EXPECT_EQ(quota(), 3);  // 2.5 CPUs: rounded up
  write("sys/a/cpu.max", "100000 100000\n");
  EXPECT_EQ(quota(), 1);
  write("sys/cpu.max", "50000 100000\n");  // the root, as a container sees its own
  EXPECT_EQ(quota(), 1);
}

TEST_F(CgroupQuota, OlderHierarchyReadsTheCpuController) {
  write("groups", "5:memory:/x\n3:cpu,cpuacct:/docker/c1\n");
  write("sys/cpu,cpuacct/docker/c1/cpu.cfs_quota_us", "-1\n");
  write("sys/cpu,cpuacct/docker/c1/cpu.cfs_period_us", "100000\n");
  EXPECT_EQ(quota(), 0);  // -1: no quota
  write("sys/cpu,cpuacct/docker/c1/cpu.cfs_quota_us", "400000\n");
  EXPECT_EQ(quota(), 4);
}

}  // namespace
