#include "files/scan_queue.h"

#include <new>
#include <system_error>

#include "output/standard_output.h"
#include "platform/file_reader.h"

namespace {

// Files handed to a thread at a time: the reader opens them together.
constexpr std::size_t kFilesPerJob = 16;

// Output the threads may hold in all for files whose turn has not come, and the most one
// thread may hold; beyond its share a thread waits for its file's turn.
constexpr std::size_t kHeldInAll = std::size_t{8} << 20;
constexpr std::size_t kMostHeldByOne = std::size_t{4} << 20;

// How far the walk may run ahead of the output, in steps, and in jobs not yet taken: far
// enough that a thread finds its next job waiting, without a wait of its own.
constexpr std::uint64_t kMostStepsAhead = 8192;
constexpr std::size_t kMostJobsWaiting = 256;

// The files of `files` that are to be opened, in order.
std::vector<std::string> pathsToOpen(const std::vector<FileToScan>& files) {
  std::vector<std::string> paths;
  for (const FileToScan& file : files) {
    if (!file.extensionSkipped) paths.push_back(file.path);
  }
  return paths;
}

}  // namespace

ScanQueue::ScanQueue(const ScanConfig& config, OutputStreams& streams, int threads)
    : config_(config), streams_(streams) {
  if (threads >= 2) {
    for (int i = 0; i < threads; ++i) {
      auto worker = std::make_unique<Worker>();
      try {
        worker->thread = std::thread([this, w = worker.get()] { work(*w); });
      } catch (const std::system_error&) {
        break;  // no room for another thread: the search goes on with those there are
      }
      workers_.push_back(std::move(worker));
    }
  }
  if (workers_.empty()) callerScan_ = std::make_unique<FileScan>(config_);
  heldByOne_ = std::min(kMostHeldByOne, kHeldInAll / (workers_.size() + 1));
}

ScanQueue::~ScanQueue() {
  finish();
}

void ScanQueue::addMessage(std::string_view text) {
  if (workers_.empty()) {
    FileOutput(streams_).message(text);
    return;
  }
  std::uint64_t step;
  {
    std::unique_lock<std::mutex> lock(turn_.mutex());
    waitForRoom(lock);
    step = nextStep_++;
  }
  FileOutput out(streams_, turn_, step, walkHeld_, heldByOne_);
  out.message(text);
  complete(std::move(out));
}

void ScanQueue::addFiles(std::vector<FileToScan> files) {
  if (workers_.empty()) {
    expectFiles(pathsToOpen(files));
    for (const FileToScan& file : files) {
      FileOutput out(streams_);
      if (callerScan_->scan(file, out)) found_ = true;
    }
    return;
  }
  for (std::size_t first = 0; first < files.size(); first += kFilesPerJob) {
    std::size_t last = std::min(files.size(), first + kFilesPerJob);
    Job job;
    job.files.assign(std::make_move_iterator(files.begin() + static_cast<std::ptrdiff_t>(first)),
                     std::make_move_iterator(files.begin() + static_cast<std::ptrdiff_t>(last)));
    std::unique_lock<std::mutex> lock(turn_.mutex());
    waitForRoom(lock);
    job.firstStep = nextStep_;
    nextStep_ += job.files.size();
    jobs_.push_back(std::move(job));
    jobsReady_.notify_one();
  }
}

bool ScanQueue::finish() {
  if (!workers_.empty()) {
    {
      std::lock_guard<std::mutex> lock(turn_.mutex());
      closed_ = true;
      jobsReady_.notify_all();
    }
    for (const std::unique_ptr<Worker>& worker : workers_) worker->thread.join();
    workers_.clear();
  }
  return found_;
}

bool ScanQueue::hasRoom() const {
  return jobs_.size() < kMostJobsWaiting && nextStep_ - turn_.due() < kMostStepsAhead;
}

void ScanQueue::waitForRoom(std::unique_lock<std::mutex>& lock) {
  walkWaits_ = true;
  roomReady_.wait(lock, [&] { return hasRoom(); });
  walkWaits_ = false;
}

void ScanQueue::work(Worker& worker) {
  try {
    FileScan scan(config_);
    for (;;) {
      Job job;
      {
        std::unique_lock<std::mutex> lock(turn_.mutex());
        jobsReady_.wait(lock, [&] { return !jobs_.empty() || closed_; });
        if (jobs_.empty()) break;
        job = std::move(jobs_.front());
        jobs_.pop_front();
        if (walkWaits_ && hasRoom()) roomReady_.notify_one();
      }
      expectFiles(pathsToOpen(job.files));
      for (std::size_t i = 0; i < job.files.size(); ++i) {
        FileOutput out(streams_, turn_, job.firstStep + i, worker.held, heldByOne_);
        if (scan.scan(job.files[i], out)) found_ = true;
        complete(std::move(out));
      }
    }
    resetFileAccess();
  } catch (const std::bad_alloc&) {
    ranOutOfMemory();
  }
}

void ScanQueue::complete(FileOutput&& out) {
  std::unique_lock<std::mutex> lock(turn_.mutex());
  if (!turn_.isDue(out.step())) {
    parked_.emplace(out.step(), std::move(out));
    return;
  }
  // Its turn: what it holds is written, then every step after it that is already done. The
  // turn is passed on only after them, so no other thread writes meanwhile, and the lock is
  // not held while writing.
  lock.unlock();
  out.writeHeld();
  for (std::uint64_t next = out.step() + 1;; ++next) {
    lock.lock();
    auto at = parked_.begin();
    if (at == parked_.end() || at->first != next) {
      turn_.passTo(next);
      if (walkWaits_ && hasRoom()) roomReady_.notify_one();
      return;
    }
    FileOutput done = std::move(at->second);
    parked_.erase(at);
    lock.unlock();
    done.writeHeld();
  }
}
