// Control groups' CPU quota, staged in a folder: the least on the way up, in either hierarchy.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/cpu_count.h"

namespace {

TEST(CgroupQuota, TheLeastOnTheWayUp) {
  namespace fs = std::filesystem;
  const fs::path root = fs::temp_directory_path() / ("skern-cgroup-" + std::to_string(getpid()));
  const std::string older = "sys/cpu,cpuacct/docker/";
  const struct {
    std::string path;  // below the root ("groups": the process's list); "": all removed
    const char* text;
    int quota;  // then; -1: not asked
  } rows[] = {
      // The unified hierarchy, up to its root as a container sees its own.
      {"groups", "0::/a/b\n", 0},  // no cpu.max anywhere
      {"sys/a/b/cpu.max", "max 100000\n", 0},
      {"sys/a/b/cpu.max", "250000 100000\n", 3},  // 2.5 CPUs: rounded up
      {"sys/a/cpu.max", "100000 100000\n", 1},
      {"sys/cpu.max", "50000 100000\n", 1},
      // The older one, beside another controller's line.
      {"", "", -1},
      {"groups", "5:memory:/x\n3:cpu,cpuacct:/docker/c1\n", -1},
      {older + "c1/cpu.cfs_quota_us", "-1\n", -1},
      {older + "c1/cpu.cfs_period_us", "100000\n", 0},  // -1: no quota
      {older + "c1/cpu.cfs_quota_us", "400000\n", 4},
      {older + "cpu.cfs_quota_us", "150000\n", -1},  // the parent: 1.5 CPUs
      {older + "cpu.cfs_period_us", "100000\n", 2},
      {"sys/cpu,cpuacct/cpu.cfs_quota_us", "-1\n", -1},  // the hierarchy's root: no limit
      {"sys/cpu,cpuacct/cpu.cfs_period_us", "100000\n", 2},
      {older + "c1/cpu.cfs_quota_us", "100000\n", 1},
      // Mounted as cpu alone, a quota set on the parent only.
      {"groups", "4:cpu:/outer/inner\n", -1},
      {"sys/cpu/outer/cpu.cfs_quota_us", "100000\n", -1},
      {"sys/cpu/outer/cpu.cfs_period_us", "100000\n", 1},
      // Both hierarchies: the least quota of either holds, in any order of the lines.
      {"", "", -1},
      {"sys/cpu,cpuacct/outer/cpu.cfs_quota_us", "200000\n", -1},
      {"sys/cpu,cpuacct/outer/cpu.cfs_period_us", "100000\n", -1},
      {"sys/outer/cpu.max", "300000 100000\n", -1},
      {"groups", "3:cpu,cpuacct:/outer/inner\n0::/outer/inner\n", 2},
      {"groups", "0::/outer/inner\n3:cpu,cpuacct:/outer/inner\n", 2},
      {"sys/outer/inner/cpu.max", "100000 100000\n", 1},
      // Lines that name no group the way the kernel does are passed over, and end.
      {"groups", "garbage\n3:cpu:relative\n0::\n:\n", 0},
  };
  fs::remove_all(root);
  for (const auto& row : rows) {
    if (row.path.empty()) fs::remove_all(root);
    fs::create_directories((root / row.path).parent_path());
    if (!row.path.empty()) std::ofstream(root / row.path) << row.text;
    int quota = cgroupCpuQuota((root / "groups").string(), (root / "sys").string());
    EXPECT_TRUE(row.quota < 0 || quota == row.quota) << row.path << " " << row.text << quota;
  }
  fs::remove_all(root);
}

}  // namespace
