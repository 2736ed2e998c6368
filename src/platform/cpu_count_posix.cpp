#include <fcntl.h>
#include <sched.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/cpu_count.h"

namespace {

// The CPUs of the affinity mask, or those online where the mask cannot be read.
int affinityCpus() {
#if defined(__linux__)
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof set, &set) == 0) return CPU_COUNT(&set);
#endif
  long online = sysconf(_SC_NPROCESSORS_ONLN);
  return online > 0 ? static_cast<int>(online) : 1;
}

// The CPUs that a quota of `quota` per `period` gives, rounded up; 0 for no quota.
int quotaCpus(double quota, double period) {
  if (quota <= 0 || period <= 0) return 0;
  return static_cast<int>(std::ceil(quota / period));
}

// The first bytes of the file at `path` (its first 4 KiB); "" when it cannot be read.
std::string readSmallFile(const std::string& path) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return "";
  char bytes[4096];
  ssize_t got = read(fd, bytes, sizeof bytes);
  close(fd);
  return got > 0 ? std::string(bytes, static_cast<std::size_t>(got)) : "";
}

// The two numbers at the start of `text`, as in "150000 100000"; false when there are not two.
bool twoNumbers(const std::string& text, double& first, double& second) {
  const char* at = text.c_str();
  char* end = nullptr;
  first = std::strtod(at, &end);
  if (end == at) return false;
  at = end;
  second = std::strtod(at, &end);
  return end != at;
}

// The least quota, in CPUs, that the group `path` of the hierarchy mounted at `hierarchy`, or
// any group above it, sets (a group may run on no more than any group above it allows); 0 for
// none. The unified hierarchy states it in cpu.max ("max 100000": no limit), the older one in
// cpu.cfs_quota_us and cpu.cfs_period_us (a quota of -1: no limit).
int leastQuotaUp(const std::string& hierarchy, const std::string& path, bool unified) {
  int least = 0;
  for (std::string at = path;;) {
    std::string group = hierarchy + at;
    std::string text = unified ? readSmallFile(group + "/cpu.max")
                               : readSmallFile(group + "/cpu.cfs_quota_us") + " " +
                                     readSmallFile(group + "/cpu.cfs_period_us");
    double quota = 0;
    double period = 0;
    if (twoNumbers(text, quota, period)) {
      int cpus = quotaCpus(quota, period);
      if (cpus > 0 && (least == 0 || cpus < least)) least = cpus;
    }
    std::size_t slash = at.rfind('/');
    if (at.empty() || at == "/" || slash == std::string::npos) break;
    at.erase(slash);
  }
  return least;
}

}  // namespace

int cgroupCpuQuota(const std::string& groupsFile, const std::string& root) {
  std::string groups = readSmallFile(groupsFile);
  int least = 0;
  for (std::size_t start = 0; start < groups.size();) {
    std::size_t end = groups.find('\n', start);
    if (end == std::string::npos) end = groups.size();
    std::string line = groups.substr(start, end - start);
    start = end + 1;
    // "0::/path" names the unified hierarchy; "N:cpu,cpuacct:/path" the older one. A system
    // may have both: the least quota of either holds.
    std::size_t first = line.find(':');
    std::size_t second = first == std::string::npos ? first : line.find(':', first + 1);
    if (second == std::string::npos) continue;
    std::string controllers = line.substr(first + 1, second - first - 1);
    std::string path = line.substr(second + 1);
    std::vector<int> found;
    if (controllers.empty()) {
      found.push_back(leastQuotaUp(root, path, true));
    } else if (("," + controllers + ",").find(",cpu,") != std::string::npos) {
      for (const char* mount : {"/cpu,cpuacct", "/cpuacct,cpu", "/cpu"}) {
        found.push_back(leastQuotaUp(root + mount, path, false));
      }
    }
    for (int cpus : found) {
      if (cpus > 0 && (least == 0 || cpus < least)) least = cpus;
    }
  }
  return least;
}

int usableCpuCount() {
  int cpus = affinityCpus();
  int quota = cgroupCpuQuota("/proc/self/cgroup", "/sys/fs/cgroup");
  if (quota > 0 && quota < cpus) cpus = quota;
  return cpus > 0 ? cpus : 1;
}
