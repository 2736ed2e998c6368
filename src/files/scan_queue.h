// Hands the units of the walk (whole files, pieces of big files, messages) to the threads
// that scan them, in walk order, and writes what each shows in that same order, as one thread
// writes it.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string_view>
#include <thread>
#include <vector>

#include "files/file_scan.h"
#include "files/ordered_output.h"
#include "files/thread_waits.h"
#include "output/file_output.h"
#include "output/scan_sink.h"

/// What scans units on one thread; each thread has its own.
class UnitScanner {
 public:
  virtual ~UnitScanner() = default;
  /// Scans `file`, reporting to `out`; where `mayCut`, may cut it into pieces instead and
  /// return it unscanned, its first piece to be reported to `out`.
  virtual std::shared_ptr<SplitFile> scanFile(const FileToScan& file, ScanSink& out,
                                              bool mayCut) = 0;
  /// Scans piece `index` of `file`, writing to `out`, which shows the file's shared tally.
  virtual void scanPiece(SplitFile& file, std::uint64_t index, ScanSink& out) = 0;
  /// Tells the scanner the files it is to open next, in this order.
  virtual void expectFiles(std::vector<std::string> paths) { (void)paths; }
};

/// Makes the scanner of one thread.
using ScannerMaker = std::function<std::unique_ptr<UnitScanner>()>;

/// The scanner of real files: a `FileScan` under one run's settings.
std::unique_ptr<UnitScanner> fileScanner(const ScanConfig& config);

/// How far the queue lets its threads and the walk run ahead of the output.
struct QueueLimits {
  std::size_t heldInAll = std::size_t{8} << 20;      ///< Output held for later units in all.
  std::size_t mostHeldByOne = std::size_t{4} << 20;  ///< The most one thread's share may be.
  std::uint64_t mostStepsAhead = 8192;  ///< Walk steps handed out beyond the one written now.
  std::size_t mostJobsWaiting = 256;    ///< Jobs added and not yet taken.
  std::size_t filesPerJob = 16;         ///< Files handed to a thread at a time.
};

/// The units of one search, scanned on several threads, written in order.
class ScanQueue : private OutputTurn {
 public:
  /// Scans with scanners that `makeScanner` makes, on `threads` threads of its own; with fewer
  /// than 2, every file is scanned whole on the caller's thread as it is added. Its threads
  /// wait for one another through `waits` (null: on condition variables).
  ScanQueue(ScannerMaker makeScanner, OutputStreams& streams, int threads,
            const QueueLimits& limits = {}, ThreadWaits* waits = nullptr);
  ~ScanQueue();
  ScanQueue(const ScanQueue&) = delete;
  ScanQueue& operator=(const ScanQueue&) = delete;

  /// Adds a message of the walk, written after everything added before it.
  void addMessage(std::string_view text);
  /// Adds the files of one listing, in order, to be scanned.
  void addFiles(std::vector<FileToScan> files);
  /// Says that the walk has ended: nothing more is added.
  void close();
  /// Waits until every unit has been scanned and written; true when any showed a hit.
  bool finish();

 private:
  struct Unit {
    std::uint64_t key = 0;   // its place in the order of output
    std::uint64_t next = 0;  // the unit after it
    FileToScan file;
    std::shared_ptr<SplitFile> split;  // a piece of this file, else a whole file
    std::uint64_t piece = 0;
    std::shared_ptr<FileTally> tally;  // a piece's: its file's, shared by every piece
  };
  struct Done {
    OrderedOutput out;
    std::uint64_t next = 0;  // the unit after it
  };
  struct Job {
    std::vector<Unit> units;
  };
  struct Worker {
    std::unique_ptr<UnitScanner> scanner;  // made before the thread starts
    std::thread thread;
    // Bytes of output it holds for units not yet due; changed with every event it holds, on a
    // cache line of its own.
    alignas(64) std::atomic<std::size_t> held{0};
  };

  bool isDue(std::uint64_t unit) const override { return due() == unit; }
  bool waitFor(std::uint64_t unit) override;
  bool dueUntaken() const;
  std::uint64_t due() const { return due_.load(std::memory_order_acquire); }
  void passTo(std::uint64_t unit);
  void work(Worker& worker);
  void runJob(Worker& worker, UnitScanner& scanner, Job& job);
  void addPieces(const std::shared_ptr<SplitFile>& file, std::shared_ptr<FileTally> tally, Job& job,
                 std::size_t at);
  void complete(OrderedOutput&& out, std::uint64_t next);
  void waitForRoom(std::unique_lock<std::mutex>& lock);
  bool hasRoom() const;
  std::uint64_t pushJob(std::vector<FileToScan>&& files);

  ScannerMaker makeScanner_;
  OutputStreams& streams_;
  QueueLimits limits_;
  ThreadWaits plainWaits_;
  ThreadWaits& waits_;
  // One lock guards the turn (the unit whose output is written now: changed under the lock,
  // read without it), the jobs not yet taken (in the order of their units) and those being
  // scanned, the output of units done before their turn, the walk steps handed out so far,
  // and the end of the walk.
  // A thread waits for a job on `jobsReady_`, an output for its turn on `turnPassed_`, the
  // walk for room on `roomReady_` (while `walkWaits_`); what ends each wait is said where it
  // waits.
  std::mutex mutex_;
  alignas(64) std::atomic<std::uint64_t> due_{0};  // read with every event, apart from the lock
  std::condition_variable turnPassed_;
  std::condition_variable jobsReady_;
  std::condition_variable roomReady_;
  bool walkWaits_ = false;
  std::deque<Job> jobs_;
  std::map<std::uint64_t, Done> parked_;
  std::uint64_t nextStep_ = 0;
  bool closed_ = false;
  std::size_t jobsRunning_ = 0;  // jobs taken and not yet done
  std::atomic<std::size_t> walkHeld_{0};
  std::size_t heldByOne_ = 0;  // output one thread may hold for later units
  std::vector<std::unique_ptr<Worker>> workers_;
  std::unique_ptr<UnitScanner> callerScanner_;  // the caller's thread's, without workers
};
