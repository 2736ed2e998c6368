#include "files/scan_queue.h"

#include <algorithm>
#include <iterator>
#include <new>
#include <system_error>

#include "output/standard_output.h"
#include "platform/file_reader.h"

namespace {

// A unit's key is its walk step followed by its piece's number in the low bits.
constexpr int kPieceBits = 20;
static_assert(kMostPieces <= (std::uint64_t{1} << kPieceBits), "a piece's number fits its bits");

std::uint64_t keyOf(std::uint64_t step, std::uint64_t piece = 0) {
  return (step << kPieceBits) | piece;
}

class RealScanner : public UnitScanner {
 public:
  explicit RealScanner(const ScanConfig& config) : scan_(config) {}
  std::shared_ptr<SplitFile> scanFile(const FileToScan& file, ScanSink& out, bool mayCut) override {
    return scan_.scan(file, out, mayCut);
  }
  void scanPiece(SplitFile& file, std::uint64_t index, ScanSink& out) override {
    scan_.scanPiece(file, index, out);
  }
  void expectFiles(std::vector<std::string> paths) override { scan_.expectFiles(std::move(paths)); }

 private:
  FileScan scan_;
};

}  // namespace

std::unique_ptr<UnitScanner> fileScanner(const ScanConfig& config) {
  return std::make_unique<RealScanner>(config);
}

ScanQueue::ScanQueue(ScannerMaker makeScanner, OutputStreams& streams, int threads,
                     const QueueLimits& limits, ThreadWaits* waits)
    : makeScanner_(std::move(makeScanner)),
      streams_(streams),
      limits_(limits),
      waits_(waits != nullptr ? *waits : plainWaits_) {
  if (threads >= 2) {
    for (int i = 0; i < threads; ++i) {
      // No memory or no room for another thread (a container's task limit): the search goes
      // on with the threads there are, or on the caller's.
      try {
        auto worker = std::make_unique<Worker>();
        worker->scanner = makeScanner_();
        worker->thread = std::thread([this, w = worker.get()] { work(*w); });
        workers_.push_back(std::move(worker));
      } catch (const std::system_error&) {
        break;
      } catch (const std::bad_alloc&) {
        break;
      }
    }
    // A single thread of its own brings nothing: the caller's thread scans instead.
    if (workers_.size() == 1) finish();
  }
  if (workers_.empty()) callerScanner_ = makeScanner_();
  heldByOne_ = std::min(limits_.mostHeldByOne, limits_.heldInAll / (workers_.size() + 1));
}

ScanQueue::~ScanQueue() {
  finish();
}

void ScanQueue::addMessage(std::string_view text) {
  if (workers_.empty()) {
    FileOutput(streams_).message(text);
    return;
  }
  // A step handed out is written before any later one: should memory run out before this
  // one is done, every later unit would wait for it, so the run ends here.
  try {
    std::uint64_t step;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      waitForRoom(lock);
      step = nextStep_++;
    }
    OrderedOutput out(streams_, *this, keyOf(step), walkHeld_, heldByOne_);
    out.message(text);
    complete(std::move(out), keyOf(step + 1));
  } catch (const std::bad_alloc&) {
    ranOutOfMemory();
  }
}

void ScanQueue::addFiles(std::vector<FileToScan> files) {
  if (workers_.empty()) {
    std::vector<std::string> paths;
    for (const FileToScan& file : files) {
      if (!file.extensionSkipped) paths.push_back(file.path);
    }
    callerScanner_->expectFiles(std::move(paths));
    for (const FileToScan& file : files) {
      FileOutput out(streams_);
      callerScanner_->scanFile(file, out, false);
    }
    return;
  }
  for (std::size_t first = 0; first < files.size(); first += limits_.filesPerJob) {
    std::size_t last = std::min(files.size(), first + limits_.filesPerJob);
    Job job;
    job.units.resize(last - first);
    std::unique_lock<std::mutex> lock(mutex_);
    waitForRoom(lock);
    for (std::size_t i = first; i < last; ++i) {
      Unit& unit = job.units[i - first];
      unit.key = keyOf(nextStep_ + (i - first));
      unit.next = keyOf(nextStep_ + (i - first) + 1);
      unit.file = std::move(files[i]);
    }
    // The steps count as handed out once the job is in the queue: one lost to a lack of
    // memory would hold up every later unit.
    jobs_.push_back(std::move(job));
    nextStep_ += last - first;
    jobsReady_.notify_one();
  }
}

void ScanQueue::close() {
  std::lock_guard<std::mutex> lock(mutex_);
  closed_ = true;
  jobsReady_.notify_all();
}

bool ScanQueue::finish() {
  if (!workers_.empty()) {
    close();
    for (const std::unique_ptr<Worker>& worker : workers_) worker->thread.join();
    workers_.clear();
  }
  return streams_.hitShown;
}

// The unit whose turn it is is either not yet added (the walk, which waits for nothing then,
// adds it), or taken (a thread scans it or writes it, and never waits for a turn meanwhile,
// since its own has come), or waiting in the queue untaken. A wait for a later unit's turn
// ends when the thread that has the unit now passes the turn on; a unit waiting untaken might
// wait for the very thread that would wait here, so then the thread holds on instead.
bool ScanQueue::waitFor(std::uint64_t unit) {
  std::unique_lock<std::mutex> lock(mutex_);
  waits_.wait(lock, turnPassed_, [&] { return isDue(unit) || dueUntaken(); });
  return isDue(unit);
}

// Whether the unit whose turn it is waits in the queue, taken by no thread; the caller holds
// the lock. The queue is in the order of the units, so it can only be the first.
bool ScanQueue::dueUntaken() const {
  return !jobs_.empty() && jobs_.front().units.front().key == due();
}

// Passes the turn on to `unit`; the caller holds the lock.
void ScanQueue::passTo(std::uint64_t unit) {
  due_.store(unit, std::memory_order_release);
  turnPassed_.notify_all();
}

bool ScanQueue::hasRoom() const {
  return jobs_.size() < limits_.mostJobsWaiting &&
         nextStep_ - (due() >> kPieceBits) < limits_.mostStepsAhead;
}

// The walk waits while it has run far ahead: until a thread takes a job or the turn passes on,
// which threads do as long as units are in the queue or taken (see `waitFor`).
void ScanQueue::waitForRoom(std::unique_lock<std::mutex>& lock) {
  walkWaits_ = true;
  waits_.wait(lock, roomReady_, [&] { return hasRoom(); });
  walkWaits_ = false;
}

// Scans the units of `job` in order. A file cut into pieces ends the job there: its pieces
// and the rest of the job go back to the queue, and the thread goes on with the first piece.
void ScanQueue::runJob(Worker& worker, UnitScanner& scanner, Job& job) {
  std::vector<std::string> paths;
  for (const Unit& unit : job.units) {
    if (!unit.split && !unit.file.extensionSkipped) paths.push_back(unit.file.path);
  }
  if (!paths.empty()) scanner.expectFiles(std::move(paths));
  for (std::size_t i = 0; i < job.units.size(); ++i) {
    Unit& unit = job.units[i];
    OrderedOutput out(streams_, *this, unit.key, worker.held, heldByOne_);
    if (unit.split) {
      out.useTally(std::move(unit.tally));
      scanner.scanPiece(*unit.split, unit.piece, out);
    } else if (std::shared_ptr<SplitFile> split = scanner.scanFile(unit.file, out, true)) {
      addPieces(split, out.shareTally(), job, i);
      unit.next = unit.key + 1;
      scanner.scanPiece(*split, 0, out);
    }
    unit.split.reset();  // the last piece done closes the file
    complete(std::move(out), unit.next);
  }
}

// Puts the pieces of `file` after its first, which showed `tally`, and the units of `job`
// after `at`, the unit cut, back in the queue, so that every thread can take a piece; `job`
// ends at `at`. The queue stays in the order of the units, so that a thread that takes the
// first job takes the unit whose turn comes first: pieces of a file cut later go behind
// those of one cut earlier.
void ScanQueue::addPieces(const std::shared_ptr<SplitFile>& file, std::shared_ptr<FileTally> tally,
                          Job& job, std::size_t at) {
  const std::uint64_t key = job.units[at].key;
  const std::uint64_t step = key >> kPieceBits;
  std::vector<Job> added;
  for (std::uint64_t piece = 1; piece < file->pieces; ++piece) {
    Unit& unit = added.emplace_back().units.emplace_back();
    unit.key = keyOf(step, piece);
    unit.next = piece + 1 < file->pieces ? unit.key + 1 : keyOf(step + 1);
    unit.split = file;
    unit.piece = piece;
    unit.tally = tally;
  }
  Job rest;
  for (std::size_t i = at + 1; i < job.units.size(); ++i) {
    rest.units.push_back(std::move(job.units[i]));
  }
  if (!rest.units.empty()) added.push_back(std::move(rest));
  job.units.resize(at + 1);
  std::lock_guard<std::mutex> lock(mutex_);
  auto place = std::find_if(jobs_.begin(), jobs_.end(),
                            [&](const Job& queued) { return queued.units.front().key > key; });
  jobs_.insert(place, std::make_move_iterator(added.begin()), std::make_move_iterator(added.end()));
  jobsReady_.notify_all();
}

void ScanQueue::work(Worker& worker) {
  waits_.threadBegins();
  try {
    for (;;) {
      Job job;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        // Once the walk has ended, a thread stops only when no job is left to take and none
        // is being scanned: a file being scanned may still be cut into pieces. The wait ends
        // when the walk or a thread that cuts a file adds a job, or the last job ends.
        waits_.wait(lock, jobsReady_,
                    [&] { return !jobs_.empty() || (closed_ && jobsRunning_ == 0); });
        if (jobs_.empty()) break;
        job = std::move(jobs_.front());
        jobs_.pop_front();
        ++jobsRunning_;
        if (walkWaits_ && hasRoom()) roomReady_.notify_one();
      }
      runJob(worker, *worker.scanner, job);
      std::lock_guard<std::mutex> lock(mutex_);
      if (--jobsRunning_ == 0 && closed_) jobsReady_.notify_all();
    }
    worker.scanner.reset();  // its reader lets go of what it holds
    waits_.threadEnds();
  } catch (const std::bad_alloc&) {
    ranOutOfMemory();
  }
}

void ScanQueue::complete(OrderedOutput&& out, std::uint64_t next) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (!isDue(out.unit())) {
    const std::uint64_t unit = out.unit();
    parked_.emplace(unit, Done{std::move(out), next});
    return;
  }
  // Its turn: what it holds is written, then every unit after it that is already done. The
  // turn is passed on only after them, so no other thread writes meanwhile, and the lock is
  // not held while writing.
  lock.unlock();
  out.writeHeld();
  for (;;) {
    lock.lock();
    auto at = parked_.begin();
    if (at == parked_.end() || at->first != next) {
      passTo(next);
      if (walkWaits_ && hasRoom()) roomReady_.notify_one();
      return;
    }
    Done done = std::move(at->second);
    parked_.erase(at);
    lock.unlock();
    done.out.writeHeld();
    next = done.next;
  }
}
