// Opening, reading and closing many files with one request to the system where it can take
// them so (Linux's io_uring): each system call costs more than the work of opening and
// reading a small file, so a directory's files are handed over together.
#pragma once

#include <cstddef>
#include <memory>
#include <span>

/// One operation of a batch.
struct BatchOp {
  enum Kind { kOpen, kRead, kClose };
  Kind kind = kOpen;
  int fd = -1;                 ///< kOpen: the directory the name is relative to; else the file.
  const char* name = nullptr;  ///< kOpen: the name to open.
  int openFlags = 0;           ///< kOpen: the flags of openat().
  char* into = nullptr;        ///< kRead: where the bytes go.
  std::size_t most = 0;        ///< kRead: at most this many bytes, from the file's position.
  bool thenNext = false;       ///< The next operation starts only when this one is done.
  long long result = 0;        ///< What the system call returns; -errno on failure.
};

/// The most operations one batch takes.
constexpr std::size_t kBatchLimit = 64;

/// Hands batches to the system where it takes them together (Linux's io_uring); each reader
/// has its own, set up on first use and let go of when it is destroyed.
class BatchRing {
 public:
  BatchRing();
  ~BatchRing();
  BatchRing(const BatchRing&) = delete;
  BatchRing& operator=(const BatchRing&) = delete;

  /// Carries out every operation of `ops` (at most `kBatchLimit`) and waits until all are
  /// done; their order holds only within each file. Where the system takes no batches, they
  /// are made one by one; an operation that the batch failed for its own reasons (cancelled,
  /// refused, interrupted, short of memory) is made again one by one, in its file's order, so
  /// a batch gives the results the plain calls give. False when `ops` is over the limit or the
  /// batch broke off while the system still held some of it: the buffers of its reads must
  /// then no longer be used.
  bool run(std::span<BatchOp> ops);

  /// Whether `run` hands operations to the system together (for tests and measurements).
  bool joined();

  /// Makes every `every`-th operation handed over fail the way batches fail operations, in
  /// turn cancelled, refused, interrupted, short of memory, busy and (a read) cut short, so
  /// that tests can show that nothing is lost; 0, as at start, makes none fail.
  void failEvery(unsigned every);

  struct Ring;

 private:
  std::unique_ptr<Ring> ring_;
};

/// Carries out `ops` one after the other, each with its own system call, and sets their
/// results.
void runOneByOne(std::span<BatchOp> ops);
