// How many processors the process may run on.
#pragma once

#include <string>

/// The number of CPUs this process may run on: its affinity mask, and on Linux a container's
/// CPU quota where one is set; at least 1.
int usableCpuCount();

/// The CPU quota, in CPUs rounded up, that the control groups listed in `groupsFile` (as in
/// /proc/self/cgroup) set under the hierarchy mounted at `root` (as /sys/fs/cgroup); 0 where
/// none is set or none can be read.
int cgroupCpuQuota(const std::string& groupsFile, const std::string& root);
