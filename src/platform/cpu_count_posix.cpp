#include <sched.h>
#include <unistd.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>

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

}  // namespace

int cgroupCpuQuota(const std::string& groupsFile, const std::string& root) {
  std::ifstream groups(groupsFile);
  std::string line;
  while (std::getline(groups, line)) {
    // "0::/path" names the unified hierarchy; "N:cpu,cpuacct:/path" the older one.
    std::size_t first = line.find(':');
    std::size_t second = line.find(':', first + 1);
    if (first == std::string::npos || second == std::string::npos) continue;
    std::string controllers = line.substr(first + 1, second - first - 1);
    std::string path = line.substr(second + 1);
    if (controllers.empty()) {
      // A group may run on no more than any group above it allows.
      int least = 0;
      for (std::string at = path;; at = at.substr(0, at.rfind('/'))) {
        std::ifstream max(root + at + "/cpu.max");
        std::string quota;
        double period = 0;
        if (max >> quota >> period && quota != "max") {
          int cpus = quotaCpus(std::stod(quota), period);
          if (cpus > 0 && (least == 0 || cpus < least)) least = cpus;
        }
        if (at.empty() || at == "/") break;
      }
      return least;
    } else if (("," + controllers + ",").find(",cpu,") != std::string::npos) {
      for (std::string mount : {"/cpu,cpuacct", "/cpu"}) {
        std::ifstream quota(root + mount + path + "/cpu.cfs_quota_us");
        std::ifstream period(root + mount + path + "/cpu.cfs_period_us");
        double q = 0;
        double p = 0;
        if (quota >> q && period >> p) return quotaCpus(q, p);
      }
    }
  }
  return 0;
}

int usableCpuCount() {
  int cpus = affinityCpus();
  try {
    int quota = cgroupCpuQuota("/proc/self/cgroup", "/sys/fs/cgroup");
    if (quota > 0 && quota < cpus) cpus = quota;
  } catch (...) {
    // A quota that cannot be read limits nothing.
  }
  return cpus > 0 ? cpus : 1;
}
