// Batches through io_uring, set up with raw system calls. Where the kernel has no ring, has
// it switched off, or lacks one of the operations, every batch is made one by one instead; an
// operation the ring gives up on is made again on its own, so the ring never loses a file.
#include <errno.h>
#include <linux/io_uring.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <bitset>
#include <cstdint>
#include <cstring>
#include <iterator>

#include "platform/io_batch.h"

// The ring of one reader, set up on first use.
struct BatchRing::Ring {
  bool tried = false;  // set-up was attempted
  bool usable = false;
  int fd = -1;
  void* rings = nullptr;  // the mapped rings, and their size
  std::size_t ringBytes = 0;
  void* entries = nullptr;  // the mapped submission entries, and their size
  std::size_t entryBytes = 0;
  unsigned* sqTail = nullptr;
  unsigned sqMask = 0;
  unsigned* cqHead = nullptr;
  unsigned* cqTail = nullptr;
  unsigned cqMask = 0;
  io_uring_sqe* sqes = nullptr;
  io_uring_cqe* cqes = nullptr;
  // Every how many operations handed to the ring one is failed on purpose (tests); 0: none.
  unsigned failEvery = 0;
  // The operations handed to the ring while failing was on, and those it failed.
  unsigned long long handedOver = 0;
  unsigned long long failedOnPurpose = 0;
};

namespace {

using Ring = BatchRing::Ring;

// The ways an operation is failed on purpose, in turn: the error given instead of running it,
// or 0 for a read cut short.
constexpr int kFaults[] = {ECANCELED, EAGAIN, EINTR, ENOMEM, EBUSY, 0};

int ringSetup(unsigned entries, io_uring_params& params) {
  return static_cast<int>(syscall(__NR_io_uring_setup, entries, &params));
}

int ringEnter(const Ring& ring, unsigned submit, unsigned wait) {
  return static_cast<int>(
      syscall(__NR_io_uring_enter, ring.fd, submit, wait, IORING_ENTER_GETEVENTS, nullptr, 0));
}

int ringRegister(const Ring& ring, unsigned opcode, void* argument, unsigned count) {
  return static_cast<int>(syscall(__NR_io_uring_register, ring.fd, opcode, argument, count));
}

// Whether the kernel knows every operation a batch uses.
bool operationsSupported(const Ring& ring) {
  constexpr unsigned kProbed = 64;
  alignas(io_uring_probe) unsigned char
      space[sizeof(io_uring_probe) + kProbed * sizeof(io_uring_probe_op)] = {};
  auto* probe = reinterpret_cast<io_uring_probe*>(space);
  if (ringRegister(ring, IORING_REGISTER_PROBE, probe, kProbed) < 0) return false;
  for (unsigned op : {IORING_OP_OPENAT, IORING_OP_READ, IORING_OP_CLOSE}) {
    if (op > probe->last_op || !(probe->ops[op].flags & IO_URING_OP_SUPPORTED)) return false;
  }
  return true;
}

bool mapRing(Ring& ring, const io_uring_params& params) {
  std::size_t sqBytes = params.sq_off.array + params.sq_entries * sizeof(unsigned);
  std::size_t cqBytes = params.cq_off.cqes + params.cq_entries * sizeof(io_uring_cqe);
  std::size_t bytes = sqBytes > cqBytes ? sqBytes : cqBytes;
  void* rings = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_POPULATE, ring.fd,
                     IORING_OFF_SQ_RING);
  if (rings == MAP_FAILED) return false;
  ring.rings = rings;
  ring.ringBytes = bytes;
  std::size_t entryBytes = params.sq_entries * sizeof(io_uring_sqe);
  void* sqes = mmap(nullptr, entryBytes, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_POPULATE, ring.fd,
                    IORING_OFF_SQES);
  if (sqes == MAP_FAILED) return false;
  ring.entries = sqes;
  ring.entryBytes = entryBytes;
  char* base = static_cast<char*>(rings);
  ring.sqTail = reinterpret_cast<unsigned*>(base + params.sq_off.tail);
  ring.sqMask = *reinterpret_cast<unsigned*>(base + params.sq_off.ring_mask);
  ring.cqHead = reinterpret_cast<unsigned*>(base + params.cq_off.head);
  ring.cqTail = reinterpret_cast<unsigned*>(base + params.cq_off.tail);
  ring.cqMask = *reinterpret_cast<unsigned*>(base + params.cq_off.ring_mask);
  ring.cqes = reinterpret_cast<io_uring_cqe*>(base + params.cq_off.cqes);
  ring.sqes = static_cast<io_uring_sqe*>(sqes);
  // Submission slot i always names entry i.
  auto* array = reinterpret_cast<unsigned*>(base + params.sq_off.array);
  for (unsigned i = 0; i < params.sq_entries; ++i) array[i] = i;
  return true;
}

// Lets go of the ring's maps and descriptor.
void tearDown(Ring& ring) {
  if (ring.entries != nullptr) munmap(ring.entries, ring.entryBytes);
  if (ring.rings != nullptr) munmap(ring.rings, ring.ringBytes);
  if (ring.fd >= 0) close(ring.fd);
  ring.entries = nullptr;
  ring.rings = nullptr;
  ring.fd = -1;
}

bool setUp(Ring& ring) {
  ring.tried = true;
  io_uring_params params{};
  // Completions are taken only while the thread that owns the ring waits for them.
  params.flags = IORING_SETUP_SINGLE_ISSUER | IORING_SETUP_DEFER_TASKRUN;
  ring.fd = ringSetup(kBatchLimit, params);
  if (ring.fd < 0 && errno == EINVAL) {
    params = io_uring_params{};
    ring.fd = ringSetup(kBatchLimit, params);
  }
  if (ring.fd < 0) return false;
  const unsigned needed = IORING_FEAT_SINGLE_MMAP | IORING_FEAT_RW_CUR_POS;
  if ((params.features & needed) != needed || params.sq_entries < kBatchLimit ||
      params.cq_entries < kBatchLimit || !operationsSupported(ring) || !mapRing(ring, params)) {
    tearDown(ring);
    return false;
  }
  // A file that is not in memory is read by a kernel worker; one at a time is enough for a
  // thread that looks at its files one after the other.
  unsigned workers[2] = {1, 1};
  ringRegister(ring, IORING_REGISTER_IOWQ_MAX_WORKERS, workers, 2);
  return true;
}

// Whether the ring can take batches, set up on first asking.
bool ringReady(Ring& ring) {
  if (!ring.tried) ring.usable = setUp(ring);
  return ring.usable;
}

void prepare(io_uring_sqe& entry, const BatchOp& op, std::size_t index) {
  std::memset(&entry, 0, sizeof entry);
  entry.user_data = index;
  entry.fd = op.fd;
  switch (op.kind) {
    case BatchOp::kOpen:
      entry.opcode = IORING_OP_OPENAT;
      entry.addr = reinterpret_cast<std::uintptr_t>(op.name);
      entry.open_flags = static_cast<unsigned>(op.openFlags);
      break;
    case BatchOp::kRead:
      entry.opcode = IORING_OP_READ;
      entry.addr = reinterpret_cast<std::uintptr_t>(op.into);
      entry.len = op.most > (1u << 30) ? (1u << 30) : static_cast<unsigned>(op.most);
      entry.off = ~0ull;  // from the file's position, which the read moves on
      // Linked so that the next one runs after it, whatever it gave.
      if (op.thenNext) entry.flags = IOSQE_IO_HARDLINK;
      break;
    case BatchOp::kClose:
      entry.opcode = IORING_OP_CLOSE;
      break;
  }
}

// Turns `entry` into an operation that does nothing, and gives the error that it is to end
// with instead of `op`'s, in the next of the ways in turn; 0 where it still runs, cut short.
int spoil(Ring& ring, io_uring_sqe& entry, const BatchOp& op) {
  int fault = kFaults[ring.failedOnPurpose++ % std::size(kFaults)];
  if (op.kind == BatchOp::kRead && fault == 0) {
    entry.len = entry.len > 1 ? entry.len / 2 : entry.len;
    return 0;
  }
  // A close the ring gives up on is one it never began.
  if (fault == 0 || (op.kind == BatchOp::kClose && fault != EAGAIN)) fault = ECANCELED;
  io_uring_sqe nothing{};
  nothing.opcode = IORING_OP_NOP;
  nothing.user_data = entry.user_data;
  nothing.flags = entry.flags;
  entry = nothing;
  return fault;
}

// Whether `op` failed for the ring's reasons, not the file's: the ring cancelled it (it could
// start no worker for it), refused it for now, was interrupted or ran short of memory. A close
// is made again only where it never began, which leaves its descriptor open.
bool failedInRing(const BatchOp& op) {
  switch (op.result) {
    case -ECANCELED:
    case -EAGAIN:
      return true;
    case -EINTR:
    case -ENOMEM:
    case -EBUSY:
      return op.kind != BatchOp::kClose;
    default:
      return false;
  }
}

// Makes again, one by one, the operations of `tail`, a chain of linked operations from the
// first that failed in the ring on: every one that failed in the ring, and every read after it,
// since a read takes the file's bytes from where the reads before it left off. The bytes that
// those reads took are first given back to their files, last first.
void redoChain(std::span<BatchOp> tail) {
  // Reads whose bytes stay taken: a pipe in a file's place cannot give them back.
  std::bitset<kBatchLimit> kept;
  for (std::size_t i = tail.size(); i-- > 0;) {
    const BatchOp& op = tail[i];
    if (op.kind == BatchOp::kRead && op.result > 0 && lseek(op.fd, -op.result, SEEK_CUR) < 0) {
      kept.set(i);
    }
  }
  for (std::size_t i = 0; i < tail.size(); ++i) {
    BatchOp& op = tail[i];
    bool readAgain = op.kind == BatchOp::kRead && !kept.test(i);
    if (readAgain || failedInRing(op)) runOneByOne(std::span<BatchOp>(&op, 1));
  }
}

// Makes again what the ring failed to do in `ops`, chain by chain.
void redoFailed(std::span<BatchOp> ops) {
  for (std::size_t start = 0; start < ops.size();) {
    std::size_t end = start;
    while (end + 1 < ops.size() && ops[end].thenNext) ++end;
    for (std::size_t i = start; i <= end; ++i) {
      if (failedInRing(ops[i])) {
        redoChain(ops.subspan(i, end + 1 - i));
        break;
      }
    }
    start = end + 1;
  }
}

// Takes every completion there is; returns how many.
std::size_t reap(Ring& ring, std::span<BatchOp> ops) {
  std::atomic_ref<unsigned> head(*ring.cqHead);
  std::atomic_ref<unsigned> tail(*ring.cqTail);
  unsigned at = head.load(std::memory_order_relaxed);
  unsigned end = tail.load(std::memory_order_acquire);
  std::size_t taken = 0;
  for (; at != end; ++at, ++taken) {
    const io_uring_cqe& done = ring.cqes[at & ring.cqMask];
    if (done.user_data < ops.size()) ops[done.user_data].result = done.res;
  }
  head.store(at, std::memory_order_release);
  return taken;
}

}  // namespace

BatchRing::BatchRing() : ring_(std::make_unique<Ring>()) {}

BatchRing::~BatchRing() {
  tearDown(*ring_);
}

bool BatchRing::run(std::span<BatchOp> ops) {
  Ring& ring = *ring_;
  if (ops.size() > kBatchLimit) return false;
  if (!ringReady(ring) || ops.empty()) {
    runOneByOne(ops);
    return true;
  }
  const unsigned every = ring.failEvery;
  int spoiled[kBatchLimit];  // where failing on purpose: the error each operation ends with
  std::atomic_ref<unsigned> sqTail(*ring.sqTail);
  unsigned tail = sqTail.load(std::memory_order_relaxed);
  for (std::size_t i = 0; i < ops.size(); ++i) {
    io_uring_sqe& entry = ring.sqes[(tail + i) & ring.sqMask];
    prepare(entry, ops[i], i);
    if (every != 0) spoiled[i] = ++ring.handedOver % every == 0 ? spoil(ring, entry, ops[i]) : 0;
  }
  sqTail.store(tail + static_cast<unsigned>(ops.size()), std::memory_order_release);

  std::size_t submitted = 0;
  std::size_t completed = 0;
  while (completed < ops.size()) {
    unsigned toSubmit = static_cast<unsigned>(ops.size() - submitted);
    unsigned toWait = static_cast<unsigned>(ops.size() - completed);
    int taken = ringEnter(ring, toSubmit, toWait);
    if (taken < 0) {
      if (errno == EINTR) continue;
      if (errno == EAGAIN || errno == EBUSY) {
        std::size_t reaped = reap(ring, ops);
        completed += reaped;
        if (reaped > 0) continue;
      }
      // The ring broke off. What it never took is made one by one; what it took may still
      // be under way, and its buffers are given up.
      ring.usable = false;
      if (submitted > 0) return false;
      runOneByOne(ops);
      return true;
    }
    submitted += static_cast<std::size_t>(taken);
    completed += reap(ring, ops);
  }
  for (std::size_t i = 0; every != 0 && i < ops.size(); ++i) {
    if (spoiled[i] != 0) ops[i].result = -spoiled[i];
  }
  redoFailed(ops);
  return true;
}

bool BatchRing::joined() {
  return ringReady(*ring_);
}

void BatchRing::failEvery(unsigned every) {
  ring_->failEvery = every;
}
