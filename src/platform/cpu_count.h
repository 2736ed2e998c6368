// How many processors the process may run on.
#pragma once

/// The number of CPUs this process may run on: its affinity mask, and on Linux a container's
/// CPU quota where one is set; at least 1.
int usableCpuCount();
