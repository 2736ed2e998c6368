// Hands the files of the walk to the threads that scan them, in walk order, and writes what
// each file and each message of the walk shows in that same order, as one thread writes it.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string_view>
#include <thread>
#include <vector>

#include "files/file_scan.h"
#include "output/file_output.h"

/// The files and messages of one search, scanned on several threads, written in order.
class ScanQueue {
 public:
  /// Scans under `config` with `threads` threads of its own; with fewer than 2, every file is
  /// scanned on the caller's thread as it is added.
  ScanQueue(const ScanConfig& config, OutputStreams& streams, int threads);
  ~ScanQueue();
  ScanQueue(const ScanQueue&) = delete;
  ScanQueue& operator=(const ScanQueue&) = delete;

  /// Adds a message of the walk, written after everything added before it.
  void addMessage(std::string_view text);
  /// Adds the files of one listing, in order, to be scanned.
  void addFiles(std::vector<FileToScan> files);
  /// Waits until every file has been scanned and written; true when any showed a hit.
  bool finish();

 private:
  struct Job {
    std::uint64_t firstStep = 0;
    std::vector<FileToScan> files;
  };
  struct Worker {
    std::thread thread;
    std::atomic<std::size_t> held{0};  // bytes of output it holds for steps not yet due
  };

  void work(Worker& worker);
  void complete(FileOutput&& out);
  void waitForRoom(std::unique_lock<std::mutex>& lock);
  bool hasRoom() const;

  const ScanConfig& config_;
  OutputStreams& streams_;
  OutputTurn turn_;
  // Guarded by the turn's mutex: the jobs not yet taken, the output of steps done before
  // their turn, the steps handed out so far, and the end of the walk; a thread waits for a
  // job on `jobsReady_`, the walk for room on `roomReady_` (while `walkWaits_`).
  std::condition_variable jobsReady_;
  std::condition_variable roomReady_;
  bool walkWaits_ = false;
  std::deque<Job> jobs_;
  std::map<std::uint64_t, FileOutput> parked_;
  std::uint64_t nextStep_ = 0;
  bool closed_ = false;
  std::atomic<bool> found_{false};
  std::atomic<std::size_t> walkHeld_{0};
  std::size_t heldByOne_ = 0;  // output one thread may hold for later steps
  std::vector<std::unique_ptr<Worker>> workers_;
  std::unique_ptr<FileScan> callerScan_;  // the scan of the caller's thread, without workers
};
