#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <mutex>

#include "platform/mapped_bytes.h"

namespace {

// The calling thread's latest mapping, which the fault handler covers, rounded out to whole
// pages; and whether a fault on it has been caught since it was last asked. Only the thread
// itself reads or writes these, its handler included.
thread_local char* tGuardFrom = nullptr;
thread_local char* tGuardTo = nullptr;
thread_local volatile sig_atomic_t tLost = 0;

// Set once, before the handler is installed.
std::once_flag gHandlerInstalled;
struct sigaction gPreviousAction;
std::size_t gPageSize = 4096;

// A fault on a page of the thread's mapping means that the file was shortened under it: the
// page and the rest of the mapping become zeros, which the scan reads on until it asks
// `mappedBytesLost` and reads the file again. Any other bus error is what it would have been
// without skern's handler: the action before it is put back, and a fault happens again when
// the handler returns, a signal sent is raised again.
void onBusError(int signal, siginfo_t* info, void* context) {
  (void)context;
  char* at = static_cast<char*>(info->si_addr);
  if (info->si_code > 0 && at >= tGuardFrom && at < tGuardTo) {
    char* page = tGuardFrom + (static_cast<std::size_t>(at - tGuardFrom) / gPageSize) * gPageSize;
    void* zeros = mmap(page, static_cast<std::size_t>(tGuardTo - page), PROT_READ,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
    if (zeros != MAP_FAILED) {
      tLost = 1;
      return;
    }
  }
  sigaction(SIGBUS, &gPreviousAction, nullptr);
  if (info->si_code <= 0) raise(signal);
}

void installHandler() {
  long page = sysconf(_SC_PAGESIZE);
  if (page > 0) gPageSize = static_cast<std::size_t>(page);
  struct sigaction action = {};
  action.sa_sigaction = onBusError;
  action.sa_flags = SA_SIGINFO | SA_RESTART;
  sigemptyset(&action.sa_mask);
  sigaction(SIGBUS, &action, &gPreviousAction);
}

std::size_t roundToPages(std::size_t bytes) {
  return (bytes + gPageSize - 1) / gPageSize * gPageSize;
}

}  // namespace

std::uint64_t mappingGranularity() {
  std::call_once(gHandlerInstalled, installHandler);
  return gPageSize;
}

MappedBytes mapFileBytes(const OpenFile& file, std::uint64_t offset, std::size_t size) {
  std::call_once(gHandlerInstalled, installHandler);
  MappedBytes mapped;
  if (file.handle < 0 || size == 0 || offset % gPageSize != 0) return mapped;
  void* bytes = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, static_cast<int>(file.handle),
                     static_cast<off_t>(offset));
  if (bytes == MAP_FAILED) return mapped;
  mapped.bytes = static_cast<const char*>(bytes);
  mapped.size = size;
  mapped.offset = offset;
  tGuardFrom = static_cast<char*>(bytes);
  tGuardTo = tGuardFrom + roundToPages(size);
  tLost = 0;
  return mapped;
}

void unmapFileBytes(MappedBytes& mapped) {
  if (mapped.bytes == nullptr) return;
  char* bytes = const_cast<char*>(mapped.bytes);
  if (tGuardFrom == bytes) {
    tGuardFrom = nullptr;
    tGuardTo = nullptr;
  }
  munmap(bytes, mapped.size);
  mapped = MappedBytes();
}

void releaseMappedPages(const MappedBytes& mapped, std::uint64_t from, std::uint64_t to) {
  if (mapped.bytes == nullptr || to <= mapped.offset) return;
  const std::uint64_t end = mapped.offset + mapped.size;
  from = from < mapped.offset ? 0 : (from - mapped.offset + gPageSize - 1) / gPageSize * gPageSize;
  to = (to > end ? end : to) - mapped.offset;
  to = to / gPageSize * gPageSize;
  if (to > from) {
    madvise(const_cast<char*>(mapped.bytes) + from, static_cast<std::size_t>(to - from),
            MADV_DONTNEED);
  }
}

bool mappedBytesLost() {
  if (tLost == 0) return false;
  tLost = 0;
  return true;
}
