// The queue over every order of events: its threads run one at a time, and at every point
// where more than one could go on, a chooser picks which does, every sequence of choices in
// turn for small searches and seeded ones for larger. With output held past a tiny cap, room
// for one job and two walk steps, each order must end with the output of one thread. A state
// in which no thread can go on is reported with the choices that led to it, not waited for.
#include "files/scan_queue.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <new>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// Which thread goes on, wherever more than one could.
class Chooser {
 public:
  /// Every sequence of choices, one a run, from the first.
  Chooser() = default;
  /// Choices drawn from `seed`.
  explicit Chooser(unsigned seed) : seeded_(true), random_(seed) {}

  /// One of `options`.
  std::size_t pick(std::size_t options) {
    if (seeded_) return random_() % options;
    std::size_t at = made_.size();
    std::size_t choice = at < prefix_.size() ? prefix_[at] : 0;
    made_.push_back({choice, options});
    return choice;
  }
  /// Goes on to the next sequence; false when every one has been run.
  bool next() {
    while (!made_.empty() && made_.back().first + 1 >= made_.back().second) made_.pop_back();
    if (made_.empty()) return false;
    prefix_.clear();
    for (const auto& made : made_) prefix_.push_back(made.first);
    ++prefix_.back();
    made_.clear();
    return true;
  }
  /// The choices of this run, for a report.
  std::string made() const {
    std::string all;
    for (const auto& made : made_) all += std::to_string(made.first);
    return all;
  }

 private:
  bool seeded_ = false;
  std::mt19937 random_;
  std::vector<std::size_t> prefix_;
  std::vector<std::pair<std::size_t, std::size_t>> made_;  // choice, options
};

// Runs the walk's thread and the queue's threads one at a time. A thread runs until its next
// step or wait, then hands over to one that can go on: a thread at a step, or one whose wait
// would end now. Only the thread that runs touches the queue, so the order is the chooser's.
class Conductor : public ThreadWaits {
 public:
  Conductor(int workers, Chooser& chooser) : workers_(workers), chooser_(chooser) {
    threads_.push_back({});  // the walk's thread, running
  }

  void threadBegins() override {
    std::unique_lock<std::mutex> own(mutex_);
    const std::size_t me = threads_.size();
    threads_.push_back({State::kStep, nullptr, nullptr, true});
    turn_.notify_all();
    turn_.wait(own, [&] { return holder_ == me; });
  }
  void threadEnds() override {
    std::unique_lock<std::mutex> own(mutex_);
    threads_[holder_].state = State::kEnded;
    handOver(own);
  }
  void wait(std::unique_lock<std::mutex>& lock, std::condition_variable&,
            const std::function<bool()>& ready) override {
    while (!ready()) {
      std::mutex* queueLock = lock.mutex();
      lock.unlock();
      {
        std::unique_lock<std::mutex> own(mutex_);
        threads_[holder_] = {State::kWaits, queueLock, &ready};
        handOver(own);
      }
      lock.lock();
    }
  }
  /// A step of a stand-in scanner or of the walk: any thread may go on next.
  void step() {
    std::unique_lock<std::mutex> own(mutex_);
    threads_[holder_].state = State::kStep;
    handOver(own);
  }
  /// Waits on the walk's thread until every thread of the queue has ended.
  void awaitWorkersEnded() {
    const std::function<bool()> ended = [this] {
      for (std::size_t i = 1; i < threads_.size(); ++i) {
        if (threads_[i].state != State::kEnded) return false;
      }
      return true;
    };
    std::unique_lock<std::mutex> own(mutex_);
    threads_[0] = {State::kWaits, nullptr, &ended};
    handOver(own);
  }

 private:
  enum class State { kRuns, kStep, kWaits, kEnded };
  struct Thread {
    State state = State::kRuns;
    std::mutex* lock = nullptr;                    // kWaits: what guards what it waits for
    const std::function<bool()>* ready = nullptr;  // kWaits: whether its wait would end
    bool fresh = false;                            // begun, and not yet run
  };

  // Hands the run over to a thread that can go on, chosen, and waits until it comes back to
  // this one (unless this one has ended). With the caller's own thread held here, only the
  // chosen one runs. Nothing able to go on while some thread has not ended is a deadlock.
  void handOver(std::unique_lock<std::mutex>& own) {
    const std::size_t me = holder_;
    // Every thread of the queue has been started by the time the walk hands over first:
    // each one reaches `threadBegins` by itself.
    turn_.wait(own, [&] { return threads_.size() == workers_ + 1; });
    std::vector<std::size_t> able;
    bool allEnded = true;
    for (std::size_t i = 0; i < threads_.size(); ++i) {
      Thread& thread = threads_[i];
      // A thread just begun runs first, up to its wait for a job: when a thread starts
      // makes no difference the queue could see.
      if (thread.fresh) {
        thread.fresh = false;
        able = {i};
        break;
      }
      allEnded = allEnded && thread.state == State::kEnded;
      if (thread.state == State::kStep) able.push_back(i);
      if (thread.state == State::kWaits) {
        if (thread.lock != nullptr) thread.lock->lock();
        if ((*thread.ready)()) able.push_back(i);
        if (thread.lock != nullptr) thread.lock->unlock();
      }
    }
    if (able.empty()) {
      if (allEnded) return;
      std::string states;
      for (const Thread& thread : threads_) states += "RSWE"[static_cast<int>(thread.state)];
      std::fprintf(stderr, "no thread can go on (threads %s) after the choices %s\n",
                   states.c_str(), chooser_.made().c_str());
      std::abort();
    }
    holder_ = able.size() == 1 ? able[0] : able[chooser_.pick(able.size())];
    threads_[holder_].state = State::kRuns;
    turn_.notify_all();
    if (threads_[me].state == State::kEnded) return;
    turn_.wait(own, [&] { return holder_ == me; });
  }

  const std::size_t workers_;
  Chooser& chooser_;
  std::mutex mutex_;
  std::condition_variable turn_;  // the thread that runs has changed
  std::vector<Thread> threads_;   // the walk's first, then the queue's as they begin
  std::size_t holder_ = 0;        // the one that runs
};

// One file of a search: its pieces (1: scanned whole), the hits in each, and where its text ends.
struct Planned {
  std::string name;
  std::uint64_t pieces = 1;
  std::uint64_t hitsPerPiece = 1;
  std::uint64_t endsIn = UINT64_MAX;  // the piece whose text ends the file's (a 0x1A)
};

// Scans the planned files: each hit is a step, and so is the cutting of a file.
class StandIn : public UnitScanner {
 public:
  StandIn(const std::vector<Planned>& plan, Conductor* conductor)
      : plan_(plan), conductor_(conductor) {}
  std::shared_ptr<SplitFile> scanFile(const FileToScan& file, ScanSink& out, bool mayCut) override {
    out.tally().path = file.path;
    out.tally().full = file.path;
    const Planned& planned = find(file.path);
    if (!mayCut || planned.pieces < 2) {
      for (std::uint64_t piece = 0; piece < planned.pieces && piece <= planned.endsIn; ++piece) {
        hits(planned, piece, piece * planned.hitsPerPiece, out);
      }
      return nullptr;
    }
    step();  // other threads may take jobs before this one is cut
    auto split = std::make_shared<SplitFile>();
    split->pieces = planned.pieces;
    return split;
  }
  void scanPiece(SplitFile&, std::uint64_t index, ScanSink& out) override {
    const Planned& planned = find(out.tally().full);
    hits(planned, index, 0, out);
    out.endUnit(planned.hitsPerPiece, index == planned.endsIn);
  }

 private:
  void step() {
    if (conductor_ != nullptr) conductor_->step();
  }
  const Planned& find(const std::string& name) const {
    for (const Planned& planned : plan_) {
      if (planned.name == name) return planned;
    }
    throw std::logic_error("not planned: " + name);
  }
  // The hits of piece `piece`, numbered from `first` in the unit.
  void hits(const Planned& planned, std::uint64_t piece, std::uint64_t first, ScanSink& out) {
    for (std::uint64_t hit = 0; hit < planned.hitsPerPiece; ++hit) {
      step();
      std::string shown = planned.name + " piece " + std::to_string(piece) + '\n';
      out.hit(first + hit, shown, {});
    }
    if (piece == 1) out.message(MessageLevel::kError, planned.name + " message\n");
  }

  const std::vector<Planned>& plan_;
  Conductor* conductor_;
};

// Output held past a cap of nothing, room for one job and two walk steps, two files a job.
QueueLimits tiny() {
  QueueLimits limits;
  limits.heldInAll = 0;
  limits.mostHeldByOne = 0;
  limits.mostStepsAhead = 4;
  limits.mostJobsWaiting = 2;
  limits.filesPerJob = 2;
  return limits;
}

// What a search of `plan` writes, hits and messages in one stream, on `threads` threads run
// one at a time by `chooser` (none: as they come), where the scanner made `failingScanner`-th
// cannot be made (0: none). Each listing holds the files of one
// listing of the walk; a walk message follows each but the first.
std::string searched(const std::vector<std::vector<Planned>>& listings, int threads,
                     Chooser* chooser, int failingScanner = 0) {
  std::vector<Planned> plan;
  for (const auto& listing : listings) plan.insert(plan.end(), listing.begin(), listing.end());
  std::FILE* stream = std::tmpfile();
  OutputStreams streams;
  streams.hitStream = stream;
  streams.diagnosticStream = stream;
  streams.display.lineNumbers = true;
  {
    std::unique_ptr<Conductor> conductor;
    if (chooser != nullptr) conductor = std::make_unique<Conductor>(threads, *chooser);
    int made = 0;
    auto makeScanner = [&]() -> std::unique_ptr<UnitScanner> {
      if (++made == failingScanner) throw std::bad_alloc();
      return std::make_unique<StandIn>(plan, conductor.get());
    };
    ScanQueue queue(makeScanner, streams, threads, tiny(), conductor.get());
    for (std::size_t i = 0; i < listings.size(); ++i) {
      std::vector<FileToScan> files;
      for (const Planned& planned : listings[i]) files.push_back({planned.name, false});
      if (conductor) conductor->step();
      queue.addFiles(std::move(files));
      if (i == 0 || i + 1 == listings.size()) continue;
      if (conductor) conductor->step();
      queue.addMessage("after listing " + std::to_string(i) + '\n');
    }
    queue.close();
    if (conductor) conductor->awaitWorkersEnded();
    queue.finish();
  }
  std::string all;
  std::rewind(stream);
  char block[4096];
  for (std::size_t got; (got = std::fread(block, 1, sizeof block, stream)) > 0;) {
    all.append(block, got);
  }
  std::fclose(stream);
  return all;
}

// Runs `listings` on `threads` threads in every order `chooser` gives, at most `most`;
// returns how many orders ran.
int everyOrder(const std::vector<std::vector<Planned>>& listings, int threads, Chooser& chooser,
               int most) {
  const std::string one = searched(listings, 1, nullptr);
  int runs = 0;
  do {
    ++runs;
    std::string got = searched(listings, threads, &chooser);
    if (got != one) {
      ADD_FAILURE() << "after the choices " << chooser.made() << ":\n" << got << "against\n" << one;
      break;
    }
  } while (runs < most && chooser.next());
  return runs;
}

// Two big files, each cut by the thread that took it: the pieces of the second must not go
// ahead of the first's in the queue, where every thread would wait for a piece none takes.
TEST(ScanQueueOrders, TwoCutFilesInEveryOrder) {
  Chooser chooser;
  const int runs = everyOrder({{{"a", 3}}, {{"b", 2, 2}}}, 2, chooser, 1 << 20);
  EXPECT_FALSE(chooser.next()) << "not every order ran";
  EXPECT_GT(runs, 1000);
}

// A piece that ends the file's text: what later pieces show is dropped, whenever they end.
TEST(ScanQueueOrders, APieceThatEndsTheTextInEveryOrder) {
  Chooser chooser;
  everyOrder({{{"a", 3, 1, 1}}, {{"b", 1}}}, 2, chooser, 1 << 20);
  EXPECT_FALSE(chooser.next()) << "not every order ran";
}

// A job of whole files and a cut one, whose rest goes back to the queue behind its pieces,
// and a walk message between the listings.
TEST(ScanQueueOrders, WholeFilesAndPiecesInOneJobInEveryOrder) {
  Chooser chooser;
  everyOrder({{{"a", 1}, {"b", 2}}, {{"c", 1}}, {{"d", 1}}}, 2, chooser, 1 << 20);
  EXPECT_FALSE(chooser.next()) << "not every order ran";
}

TEST(ScanQueueOrders, ManyFilesAndPiecesOnThreeAndFourThreadsInSeededOrders) {
  const std::vector<std::vector<Planned>> listings = {
      {{"a", 3, 2}, {"b", 1, 3}, {"c", 4}},
      {{"d", 1}},
      {{"e", 5, 1, 2}, {"f", 2, 2}, {"g", 1, 1}},
      {{"h", 2}},
  };
  for (unsigned seed = 0; seed < 2000; ++seed) {
    Chooser chooser(seed);
    everyOrder(listings, 3 + seed % 2, chooser, 1);
    if (testing::Test::HasFailure()) break;
  }
}

// A thread that cannot be made (no memory for its scanner, no room for another thread) leaves
// the search to those there are, or to the caller's thread: the output is the same.
TEST(ScanQueueOrders, ThreadsThatCannotBeMadeLeaveTheSearchToTheOthers) {
  const std::vector<std::vector<Planned>> listings = {{{"a", 3, 2}, {"b", 1}}, {{"c", 2}}};
  const std::string one = searched(listings, 1, nullptr);
  for (int failing = 1; failing <= 4; ++failing) {
    EXPECT_EQ(searched(listings, 4, nullptr, failing), one) << failing;
  }
}

}  // namespace
