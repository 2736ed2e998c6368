// The queue's order with a stand-in scanner: pieces of a file that finish in any order are
// written in file order, numbered across the pieces, with one header; a piece that ends the
// file's text drops what the later pieces show; walk messages keep their place.
#include "files/scan_queue.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdio>
#include <map>
#include <mutex>
#include <set>
#include <string>

namespace {

// What the stand-in scanners of one test share: the pieces each file is cut into, which
// piece must wait for which to finish, and which pieces end their file's text.
struct Script {
  std::map<std::string, std::uint64_t> pieces;     // file -> pieces; absent: whole
  std::map<std::uint64_t, std::uint64_t> waitFor;  // piece -> piece that finishes first
  std::set<std::uint64_t> ends;                    // pieces that end the text
  std::uint64_t elementsPerPiece = 10;
  std::mutex mutex;
  std::condition_variable changed;
  std::set<std::uint64_t> finished;
  bool cutOffered = true;  // every file was offered a place for pieces
  bool cutHeld = false;    // files are cut only once `cutNow` is called
  bool mayCut = false;

  void cutNow() {
    std::lock_guard<std::mutex> lock(mutex);
    mayCut = true;
    changed.notify_all();
  }
  void awaitCut() {
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [&] { return !cutHeld || mayCut; });
  }

  void finish(std::uint64_t piece) {
    std::lock_guard<std::mutex> lock(mutex);
    finished.insert(piece);
    changed.notify_all();
  }
  void await(std::uint64_t piece) {
    auto wanted = waitFor.find(piece);
    if (wanted == waitFor.end()) return;
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [&] { return finished.count(wanted->second) > 0; });
  }
};

class StandIn : public UnitScanner {
 public:
  explicit StandIn(Script& script) : script_(script) {}
  void scanFile(const FileToScan& file, FileOutput& out, PieceSink* pieces) override {
    out.tally().path = file.path;
    out.tally().full = file.path;
    auto cut = script_.pieces.find(file.path);
    if (pieces == nullptr) script_.cutOffered = false;
    if (cut == script_.pieces.end() || pieces == nullptr) {
      std::string shown = file.path;
      shown += '\n';
      out.hit(0, shown, {});
      return;
    }
    script_.awaitCut();
    auto split = std::make_shared<SplitFile>();
    split->pieces = cut->second;
    split->tally = out.shareTally();
    pieces->addPieces(split);
    scanPiece(*split, 0, out);
  }
  void scanPiece(SplitFile& file, std::uint64_t index, FileOutput& out) override {
    out.useTally(file.tally);
    script_.await(index);
    std::string shown = "piece ";
    shown += std::to_string(index);
    shown += '\n';
    out.hit(1, shown, {});
    if (index == 2) out.message("a message of piece 2\n");
    out.endUnit(script_.elementsPerPiece, script_.ends.count(index) > 0);
    script_.finish(index);
  }

 private:
  Script& script_;
};

// What a search of `files`, with a walk message after the first, writes on `threads` threads:
// the hits, then the messages.
std::string searched(Script& script, const std::vector<std::string>& files, int threads) {
  std::FILE* hits = std::tmpfile();
  std::FILE* messages = std::tmpfile();
  OutputStreams streams;
  streams.hitStream = hits;
  streams.diagnosticStream = messages;
  streams.display.lineNumbers = true;
  {
    ScanQueue queue([&script] { return std::make_unique<StandIn>(script); }, streams, threads);
    for (std::size_t i = 0; i < files.size(); ++i) {
      queue.addFiles({FileToScan{files[i], false}});
      if (i == 0) queue.addMessage("walk message\n");
    }
    queue.finish();
  }
  std::string all;
  for (std::FILE* stream : {hits, messages}) {
    std::rewind(stream);
    char block[4096];
    for (std::size_t got; (got = std::fread(block, 1, sizeof block, stream)) > 0;) {
      all.append(block, got);
    }
    all += "--\n";
    std::fclose(stream);
  }
  return all;
}

TEST(ScanQueue, PiecesFinishedInAnyOrderAreWrittenInFileOrderAndNumberedAcrossThem) {
  Script script;
  script.pieces["big"] = 4;
  // The last piece finishes first, the first last.
  script.waitFor = {{0, 1}, {1, 2}, {2, 3}};
  EXPECT_EQ(searched(script, {"a", "big", "b"}, 8),
            "\n::::::::: a\n 1:a\n"
            "\n::::::::: big\n 2:piece 0\n 12:piece 1\n 22:piece 2\n 32:piece 3\n"
            "\n::::::::: b\n 1:b\n--\n"
            "walk message\na message of piece 2\n--\n");
  EXPECT_TRUE(script.cutOffered);
}

TEST(ScanQueue, APieceThatEndsTheTextDropsWhatLaterPiecesShow) {
  Script script;
  script.pieces["big"] = 4;
  script.ends = {1};
  script.waitFor = {{0, 3}, {1, 3}, {2, 3}};
  EXPECT_EQ(searched(script, {"big", "b"}, 8),
            "\n::::::::: big\n 2:piece 0\n 12:piece 1\n"
            "\n::::::::: b\n 1:b\n--\n"
            "walk message\n--\n");
}

TEST(ScanQueue, OnOneThreadNoFileIsCut) {
  Script script;
  script.pieces["big"] = 4;
  EXPECT_EQ(searched(script, {"a", "big"}, 1),
            "\n::::::::: a\n 1:a\n\n::::::::: big\n 1:big\n--\nwalk message\n--\n");
  EXPECT_FALSE(script.cutOffered);
}

// The walk ends (the queue is told so) before the only file is cut: the other threads must
// stay for its pieces, since the first one waits for a later one here.
TEST(ScanQueue, AFileCutAfterTheWalkEndedIsStillScannedOnEveryThread) {
  for (int run = 0; run < 5; ++run) {
    Script script;
    script.pieces["big"] = 3;
    script.waitFor = {{0, 2}};
    script.cutHeld = true;
    std::FILE* hits = std::tmpfile();
    OutputStreams streams;
    streams.hitStream = hits;
    streams.display.lineNumbers = true;
    ScanQueue queue([&script] { return std::make_unique<StandIn>(script); }, streams, 4);
    queue.addFiles({FileToScan{"big", false}});
    queue.close();
    script.cutNow();
    queue.finish();
    std::rewind(hits);
    char shown[200] = {};
    EXPECT_EQ(std::string(shown, std::fread(shown, 1, sizeof shown - 1, hits)),
              "\n::::::::: big\n 2:piece 0\n 12:piece 1\n 22:piece 2\n");
    std::fclose(hits);
  }
}

}  // namespace
