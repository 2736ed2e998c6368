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

TEST_F(CgroupQuota, OlderHierarchyTakesTheLeastOnTheWayUp) {
  write("groups", "5:memory:/x\n3:cpu,cpuacct:/docker/c1\n");
  const std::string group = "sys/cpu,cpuacct/docker/c1/";
  write(group + "cpu.cfs_quota_us", "-1\n");
  write(group + "cpu.cfs_period_us", "100000\n");
  EXPECT_EQ(quota(), 0);  // -1: no quota
  write(group + "cpu.cfs_quota_us", "400000\n");
  EXPECT_EQ(quota(), 4);
  write("sys/cpu,cpuacct/docker/cpu.cfs_quota_us", "150000\n");  // the parent: 1.5 CPUs
  write("sys/cpu,cpuacct/docker/cpu.cfs_period_us", "100000\n");
  EXPECT_EQ(quota(), 2);
  write("sys/cpu,cpuacct/cpu.cfs_quota_us", "-1\n");  // the hierarchy's root: no limit
  write("sys/cpu,cpuacct/cpu.cfs_period_us", "100000\n");
  EXPECT_EQ(quota(), 2);
  write(group + "cpu.cfs_quota_us", "100000\n");
  EXPECT_EQ(quota(), 1);
}

TEST_F(CgroupQuota, OlderHierarchyMountedAsCpuAlone) {
  write("groups", "4:cpu:/outer/inner\n");
  write("sys/cpu/outer/cpu.cfs_quota_us", "100000\n");  // one CPU, set on the parent only
  write("sys/cpu/outer/cpu.cfs_period_us", "100000\n");
  EXPECT_EQ(quota(), 1);
}

// A system with both hierarchies: the least quota of either holds, in any order of the lines.
TEST_F(CgroupQuota, BothHierarchiesTakeTheLeastOfEither) {
  write("sys/cpu,cpuacct/outer/cpu.cfs_quota_us", "200000\n");
  write("sys/cpu,cpuacct/outer/cpu.cfs_period_us", "100000\n");
  write("sys/outer/cpu.max", "300000 100000\n");
  for (const char* groups : {"3:cpu,cpuacct:/outer/inner\n0::/outer/inner\n",
                             "0::/outer/inner\n3:cpu,cpuacct:/outer/inner\n"}) {
    write("groups", groups);
    EXPECT_EQ(quota(), 2) << groups;
  }
  write("sys/outer/inner/cpu.max", "100000 100000\n");
  EXPECT_EQ(quota(), 1);
}

// Lines that name no group the way the kernel does are passed over, and end.
TEST_F(CgroupQuota, MalformedLinesAreIgnored) {
  write("groups", "garbage\n3:cpu:relative\n0::\n:\n");
  EXPECT_EQ(quota(), 0);
}

}  // namespace
