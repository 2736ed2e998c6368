// The queue over every order of events: its threads run one at a time, a chooser picking which
// goes on wherever several could (every sequence for small searches, seeded ones for larger).
// Under tight limits each order must write what one thread writes; a state in which no
// thread can go on aborts with the choices that led to it instead of hanging.
#include "files/scan_queue.h"

#include <gtest/gtest.h>

#include <algorithm>
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
  std::vector<std::pair<std::size_t, std::size_t>> made;  // choice, options: replayed, then new
  std::size_t at = 0;                                     // choices made in this run
  std::string trail;                                      // the same, as digits

  std::size_t pick(std::size_t options) {
    if (at == made.size()) made.push_back({random ? (*random)() % options : 0, options});
    trail += std::to_string(made[at].first);
    return made[at++].first;
  }
  // Moves to the next sequence: the last choice with another option left takes it.
  bool next() {
    made.resize(at);
    at = 0;
    trail.clear();
    while (!made.empty() && ++made.back().first == made.back().second) made.pop_back();
    return !made.empty();
  }
};

// Runs the walk's thread and the queue's one at a time: each runs to its next step or wait,
// then hands over to one that can go on (at a step, or at a wait that would end now). No
// thread holds the queue's lock meanwhile, so the waits' conditions are read without it.
class Conductor : public ThreadWaits {
 public:
  Conductor(std::size_t workers, Chooser& chooser) : workers_(workers), chooser_(chooser) {}

  void threadBegins() override {
    std::unique_lock<std::mutex> own(mutex_);
    const std::size_t me = threads_.size();
    threads_.push_back({kBegun});
    turn_.notify_all();
    turn_.wait(own, [&] { return holder_ == me; });
  }
  void threadEnds() override { pause(kEnded); }
  void wait(std::unique_lock<std::mutex>& lock, std::condition_variable&,
            const std::function<bool()>& ready) override {
    while (!ready()) {
      lock.unlock();
      pause(kWaits, &ready);
      lock.lock();
    }
  }
  /// A step of the walk or of a stand-in scanner: any thread may go on next.
  void step() { pause(kStep); }
  /// Waits on the walk's thread until every thread of the queue has ended.
  void awaitWorkersEnded() {
    const std::function<bool()> ended = [this] {
      return std::all_of(threads_.begin() + 1, threads_.end(),
                         [](const Thread& t) { return t.state == kEnded; });
    };
    pause(kWaits, &ended);
  }

 private:
  enum State { kRuns, kStep, kWaits, kEnded, kBegun };
  struct Thread {
    State state = kRuns;
    const std::function<bool()>* ready = nullptr;  // kWaits: whether its wait would end
  };

  // Leaves the running thread in `state`, hands over to a chosen thread that can go on and
  // returns when the run comes back. None able to go on is a deadlock: the walk never ends.
  void pause(State state, const std::function<bool()>* ready = nullptr) {
    std::unique_lock<std::mutex> own(mutex_);
    const std::size_t me = holder_;
    threads_[me] = {state, ready};
    turn_.wait(own, [&] { return threads_.size() == workers_ + 1; });  // every thread begun
    std::vector<std::size_t> able;
    for (std::size_t i = 0; i < threads_.size(); ++i) {
      const Thread& t = threads_[i];
      if (t.state == kBegun) {  // runs to its wait for a job first: the queue cannot tell when
        able = {i};
        break;
      }
      if (t.state == kStep || (t.state == kWaits && (*t.ready)())) able.push_back(i);
    }
    if (able.empty()) {
      std::fprintf(stderr, "no thread can go on after the choices %s\n", chooser_.trail.c_str());
      std::abort();
    }
    holder_ = able[able.size() == 1 ? 0 : chooser_.pick(able.size())];
    threads_[holder_].state = kRuns;
    turn_.notify_all();
    if (state != kEnded) turn_.wait(own, [&] { return holder_ == me; });
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
    auto planned =
        std::find_if(plan_.begin(), plan_.end(), [&](const Planned& p) { return p.name == name; });
    if (planned == plan_.end()) throw std::logic_error("not planned: " + name);
    return *planned;
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

// What a search writes (hits and messages in one stream) on `threads` threads, run one at a
// time by `chooser` (none: freely), where the `failing`-th scanner cannot be made (0: none).
// Each listing is one of the walk's; a walk message follows each but the first and the last.
std::string searched(const Listings& listings, int threads, Chooser* chooser, int failing = 0) {
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
      if (++made == failing) throw std::bad_alloc();
      return std::make_unique<StandIn>(plan, conductor.get());
    };
    // Nothing held past the cap, one job waiting, four walk steps ahead, two files a job.
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

// Runs `listings` on `threads` threads in the orders `chooser` gives, at most `most`, each
// against what one thread writes; returns how many ran.
int everyOrder(const Listings& listings, int threads, Chooser& chooser, int most) {
  const std::string one = searched(listings, 1, nullptr);
  for (int runs = 1;; ++runs) {
    const std::string got = searched(listings, threads, &chooser);
    EXPECT_EQ(got, one) << "after the choices " << chooser.trail;
    if (got != one || runs == most || !chooser.next()) return runs;
  }
}

TEST(ScanQueueOrders, SmallSearchesInEveryOrder) {
  const struct {
    Listings listings;
    int leastOrders;
  } rows[] = {
      // Two files cut by their threads: the second's pieces queued first would stall every thread.
      {{{{"a", 3}}, {{"b", 2, 2}}}, 1000},
      // A piece that ends the file's text: later pieces show nothing, whenever they end.
      {{{{"a", 3, 1, 1}}, {{"b", 1}}}, 100},
      // A job's rest queued behind the pieces of its file cut, and a walk message.
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
