#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "platform/cpu_count.h"

int cgroupCpuQuota(const std::string&, const std::string&) {
  return 0;  // Windows has no control groups
}

int usableCpuCount() {
  DWORD_PTR process = 0;
  DWORD_PTR system = 0;
  if (!GetProcessAffinityMask(GetCurrentProcess(), &process, &system)) return 1;
  int cpus = 0;
  for (; process != 0; process &= process - 1) ++cpus;
  return cpus > 0 ? cpus : 1;
}
