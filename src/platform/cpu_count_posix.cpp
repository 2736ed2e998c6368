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

// The CPU quota of the process's control group, in CPUs; 0 where none is set.
int cgroupCpus() {
  std::ifstream groups("/proc/self/cgroup");
  std::string line;
  while (std::getline(groups, line)) {
    // "0::/path" names the unified hierarchy; "N:cpu,cpuacct:/path" the older one.
    std::size_t first = line.find(':');
    std::size_t second = line.find(':', first + 1);
    if (first == std::string::npos || second == std::string::npos) continue;
    std::string controllers = line.substr(first + 1, second - first - 1);
    std::string path = line.substr(second + 1);
    if (controllers.empty()) {
      for (std::string at = path;; at = at.substr(0, at.rfind('/'))) {
        std::ifstream max("/sys/fs/cgroup" + at + "/cpu.max");
        std::string quota;
        double period = 0;
        if (max >> quota >> period && quota != "max") return quotaCpus(std::stod(quota), period);
        if (at.empty() || at == "/") break;
      }
    } else if (("," + controllers + ",").find(",cpu,") != std::string::npos) {
      for (std::string root : {"/sys/fs/cgroup/cpu,cpuacct", "/sys/fs/cgroup/cpu"}) {
        std::ifstream quota(root + path + "/cpu.cfs_quota_us");
        std::ifstream period(root + path + "/cpu.cfs_period_us");
        double q = 0;
        double p = 0;
        if (quota >> q && period >> p) return quotaCpus(q, p);
      }
    }
  }
  return 0;
}

}  // namespace

int usableCpuCount() {
  int cpus = affinityCpus();
  try {
    int quota = cgroupCpus();
    if (quota > 0 && quota < cpus) cpus = quota;
  } catch (...) {
    // A quota that cannot be read limits nothing.
  }
  return cpus > 0 ? cpus : 1;
}
