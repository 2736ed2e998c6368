// The queue over every order of events: its threads run one at a time, and wherever more than
// one could go on, a chooser picks which does: every sequence of choices in turn for small
// searches, seeded ones for larger. With output held past a cap of nothing, room for one job
// and two walk steps, each order must end with the output of one thread. A state in which no
// thread can go on is reported with the choices that led to it, not waited for.
#include "files/scan_queue.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <new>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// Which thread goes on: every sequence of choices in turn (`next`), or choices drawn from a seed.
struct Chooser {
  std::optional<std::mt19937> random;
  std::vector<std::size_t> prefix;                        // of the sequence that runs
  std::vector<std::pair<std::size_t, std::size_t>> made;  // choice, options

  std::size_t pick(std::size_t options) {
    if (random) return (*random)() % options;
    made.push_back({made.size() < prefix.size() ? prefix[made.size()] : 0, options});
    return made.back().first;
  }
  bool next() {
    while (!made.empty() && made.back().first + 1 >= made.back().second) made.pop_back();
    if (made.empty()) return false;
    prefix.clear();
    for (auto [choice, options] : made) prefix.push_back(choice);
    ++prefix.back();
    made.clear();
    return true;
  }
  std::string trail() const {
    std::string all;
    for (auto [choice, options] : made) all += std::to_string(choice);
    return all;
  }
};

// Runs the walk's thread and the queue's threads one at a time. A thread runs until its next
// step or wait, then hands over to one that can go on: a thread at a step, or one whose wait
// would end now. Only the thread that runs touches the queue, so the order is the chooser's.
class Conductor : public ThreadWaits {
 public:
  Conductor(std::size_t workers, Chooser& chooser) : workers_(workers), chooser_(chooser) {}

  void threadBegins() override {
    std::unique_lock<std::mutex> own(mutex_);
    const std::size_t me = threads_.size();
    threads_.push_back({kStep, nullptr, nullptr, true});
    turn_.notify_all();
    turn_.wait(own, [&] { return holder_ == me; });  // until the thread that runs hands over
  }
  void threadEnds() override { pause(kEnded); }
  void wait(std::unique_lock<std::mutex>& lock, std::condition_variable&,
            const std::function<bool()>& ready) override {
    while (!ready()) {
      lock.unlock();
      pause(kWaits, lock.mutex(), &ready);
      lock.lock();
    }
  }
  /// A step of a stand-in scanner or of the walk: any thread may go on next.
  void step() { pause(kStep); }
  /// Waits on the walk's thread until every thread of the queue has ended.
  void awaitWorkersEnded() {
    const std::function<bool()> ended = [this] {
      for (std::size_t i = 1; i < threads_.size(); ++i)
        if (threads_[i].state != kEnded) return false;
      return true;
    };
    pause(kWaits, nullptr, &ended);
  }

 private:
  enum State { kRuns, kStep, kWaits, kEnded };
  struct Thread {
    State state = kRuns;
    std::mutex* lock = nullptr;                    // kWaits: what guards what it waits for
    const std::function<bool()>* ready = nullptr;  // kWaits: whether its wait would end
    bool fresh = false;                            // begun, and not yet run
  };

  // Leaves the thread that runs in `state` and hands the run over to a thread that can go on,
  // chosen; returns once the run comes back to this one (at once if it has ended). With the
  // caller held here, only the chosen one runs. Nothing able to go on is a deadlock: the
  // walk's thread never ends.
  void pause(State state, std::mutex* lock = nullptr,
             const std::function<bool()>* ready = nullptr) {
    std::unique_lock<std::mutex> own(mutex_);
    const std::size_t me = holder_;
    threads_[me] = {state, lock, ready};
    // Every thread of the queue is started by the time the walk hands over first; each one
    // reaches `threadBegins` by itself.
    turn_.wait(own, [&] { return threads_.size() == workers_ + 1; });
    std::vector<std::size_t> able;
    for (std::size_t i = 0; i < threads_.size(); ++i) {
      Thread& t = threads_[i];
      // A thread just begun runs first, up to its wait for a job: when a thread starts makes
      // no difference the queue could see.
      if (t.fresh) {
        t.fresh = false;
        able = {i};
        break;
      }
      if (t.state == kWaits && t.lock != nullptr) t.lock->lock();
      if (t.state == kStep || (t.state == kWaits && (*t.ready)())) able.push_back(i);
      if (t.state == kWaits && t.lock != nullptr) t.lock->unlock();
    }
    if (able.empty()) {
      std::string states;
      for (const Thread& t : threads_) states += "RSWE"[t.state];
      std::fprintf(stderr, "no thread can go on (threads %s) after the choices %s\n",
                   states.c_str(), chooser_.trail().c_str());
      std::abort();
    }
    holder_ = able[able.size() == 1 ? 0 : chooser_.pick(able.size())];
    threads_[holder_].state = kRuns;
    turn_.notify_all();
    if (state == kEnded) return;
    turn_.wait(own, [&] { return holder_ == me; });  // until a thread that runs hands back
  }

  const std::size_t workers_;
  Chooser& chooser_;
  std::mutex mutex_;
  std::condition_variable turn_;    // the thread that runs has changed
  std::vector<Thread> threads_{1};  // the walk's (running), then the queue's as they begin
  std::size_t holder_ = 0;          // the one that runs
};

// One file of a search: its pieces (1: scanned whole), the hits in each, and the piece whose
// text ends the file's (a 0x1A).
struct Planned {
  std::string name;
  std::uint64_t pieces = 1, hitsPerPiece = 1, endsIn = UINT64_MAX;
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
      for (std::uint64_t piece = 0; piece < planned.pieces && piece <= planned.endsIn; ++piece)
        hits(planned, piece, piece * planned.hitsPerPiece, out);
      return nullptr;
    }
    if (conductor_) conductor_->step();  // other threads may take jobs before this one is cut
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
  const Planned& find(const std::string& name) const {
    for (const Planned& planned : plan_)
      if (planned.name == name) return planned;
    throw std::logic_error("not planned: " + name);
  }
  // The hits of piece `piece`, numbered from `first` in the unit; piece 1 adds a message.
  void hits(const Planned& planned, std::uint64_t piece, std::uint64_t first, ScanSink& out) {
    for (std::uint64_t hit = 0; hit < planned.hitsPerPiece; ++hit) {
      if (conductor_) conductor_->step();
      out.hit(first + hit, planned.name + " piece " + std::to_string(piece) + '\n', {});
    }
    if (piece == 1) out.message(MessageLevel::kError, planned.name + " message\n");
  }

  const std::vector<Planned>& plan_;
  Conductor* conductor_;
};

using Listings = std::vector<std::vector<Planned>>;

// What a search writes, hits and messages in one stream, on `threads` threads run one at a
// time by `chooser` (none: as they come), where the scanner made `failingScanner`-th cannot be
// made (0: none). Each listing holds the files of one listing of the walk; a walk message
// follows each but the first and the last.
std::string searched(const Listings& listings, int threads, Chooser* chooser,
                     int failingScanner = 0) {
  std::vector<Planned> plan;
  for (const auto& listing : listings) plan.insert(plan.end(), listing.begin(), listing.end());
  std::FILE* stream = std::tmpfile();
  OutputStreams streams;
  streams.hitStream = streams.diagnosticStream = stream;
  streams.display.lineNumbers = true;
  {
    std::unique_ptr<Conductor> conductor;
    if (chooser != nullptr) conductor = std::make_unique<Conductor>(threads, *chooser);
    int made = 0;
    auto makeScanner = [&]() -> std::unique_ptr<UnitScanner> {
      if (++made == failingScanner) throw std::bad_alloc();
      return std::make_unique<StandIn>(plan, conductor.get());
    };
    // Output held past a cap of nothing, room for one job and two walk steps, two files a job.
    ScanQueue queue(makeScanner, streams, threads, QueueLimits{0, 0, 4, 2, 2}, conductor.get());
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
  std::string all(static_cast<std::size_t>(std::ftell(stream)), '\0');
  std::rewind(stream);
  all.resize(std::fread(all.data(), 1, all.size(), stream));
  std::fclose(stream);
  return all;
}

// Runs `listings` on `threads` threads in every order `chooser` gives, at most `most`, against
// one thread's output; returns how many orders ran.
int everyOrder(const Listings& listings, int threads, Chooser& chooser, int most) {
  const std::string one = searched(listings, 1, nullptr);
  int runs = 0;
  do {
    ++runs;
    std::string got = searched(listings, threads, &chooser);
    if (got != one) {
      ADD_FAILURE() << "after the choices " << chooser.trail() << ":\n"
                    << got << "against\n"
                    << one;
      break;
    }
  } while (runs < most && chooser.next());
  return runs;
}

TEST(ScanQueueOrders, SmallSearchesInEveryOrder) {
  const struct {
    Listings listings;
    int leastOrders;
  } rows[] = {
      // Two big files, each cut by the thread that took it: the pieces of the second must not
      // go ahead of the first's in the queue, where every thread would wait for a piece none
      // takes.
      {{{{"a", 3}}, {{"b", 2, 2}}}, 1000},
      // A piece that ends the file's text: what later pieces show is dropped, whenever they end.
      {{{{"a", 3, 1, 1}}, {{"b", 1}}}, 100},
      // A job of whole files and a cut one, whose rest goes back to the queue behind its
      // pieces, and a walk message between the listings.
      {{{{"a", 1}, {"b", 2}}, {{"c", 1}}, {{"d", 1}}}, 1000},
  };
  for (const auto& row : rows) {
    Chooser chooser;
    EXPECT_GE(everyOrder(row.listings, 2, chooser, 1 << 20), row.leastOrders);
    EXPECT_FALSE(chooser.next()) << "not every order ran";
  }
}

TEST(ScanQueueOrders, ManyFilesAndPiecesOnThreeAndFourThreadsInSeededOrders) {
  const Listings listings = {
      {{"a", 3, 2}, {"b", 1, 3}, {"c", 4}},
      {{"d", 1}},
      {{"e", 5, 1, 2}, {"f", 2, 2}, {"g", 1, 1}},
      {{"h", 2}},
  };
  for (unsigned seed = 0; seed < 2000 && !testing::Test::HasFailure(); ++seed) {
    Chooser chooser;
    chooser.random.emplace(seed);
    everyOrder(listings, 3 + seed % 2, chooser, 1);
  }
}

// A thread that cannot be made (no memory for its scanner, no room for another thread) leaves
// the search to those there are, or to the caller's thread: the output is the same.
TEST(ScanQueueOrders, ThreadsThatCannotBeMadeLeaveTheSearchToTheOthers) {
  const Listings listings = {{{"a", 3, 2}, {"b", 1}}, {{"c", 2}}};
  const std::string one = searched(listings, 1, nullptr);
  for (int failing = 1; failing <= 4; ++failing)
    EXPECT_EQ(searched(listings, 4, nullptr, failing), one) << failing;
}

}  // namespace
