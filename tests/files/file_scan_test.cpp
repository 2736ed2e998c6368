// What a scan reports through a stand-in sink where the case files cannot see it cheaply: the
// messages each verbosity lets through, with their levels, and the big files handed back cut,
// in how many pieces, unscanned.
#include "files/file_scan.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "files/recording_sink.h"

namespace {

// The events of `events` in short: H a hit, E and A a message of level error and all, P a
// progress step, then a unit's end as its elements.
std::string brief(const std::vector<ScanEvent>& events) {
  std::string all;
  for (const ScanEvent& event : events) {
    if (event.kind == ScanEvent::Kind::kEnd)
      all += std::to_string(event.number);
    else if (event.kind == ScanEvent::Kind::kMessage)
      all += event.level == MessageLevel::kError ? 'E' : 'A';
    else
      all += event.kind == ScanEvent::Kind::kHit ? 'H' : 'P';
  }
  return all;
}

class FileScanTest : public testing::Test {
 protected:
  void SetUp() override {
    std::ofstream(path, std::ios::binary) << "a\nb\na\nb\na\n";  // 10 bytes
  }
  void TearDown() override { std::filesystem::remove(path); }
  // What a scan under `settings` (searching "a") reports for `file`; where it is cut, the
  // pieces it is cut into are counted in `pieces` and then scanned in order.
  std::string scanned(Settings settings, const FileToScan& file, std::uint64_t pieceBytes = 0,
                      std::uint64_t* pieces = nullptr) {
    ScanConfig config = scanConfig(settings, Expression{"a", {}});
    config.pieceBytes = pieceBytes;
    FileScan scan(config);
    RecordingSink out;
    std::shared_ptr<SplitFile> split = scan.scan(file, out, pieces != nullptr);
    std::string before = brief(out.events);
    if (pieces != nullptr) *pieces = split ? split->pieces : 0;
    if (!split) return before;
    for (std::uint64_t piece = 0; piece < split->pieces; ++piece)
      scan.scanPiece(*split, piece, out);
    return before + "|" + brief(out.events).substr(before.size());
  }

  // One file a test: ctest runs the tests side by side.
  const std::string path = (std::filesystem::temp_directory_path() /
                            (std::string("skern-file-scan-") +
                             testing::UnitTest::GetInstance()->current_test_info()->name()))
                               .string();
};

TEST_F(FileScanTest, EachVerbosityLetsItsMessagesThrough) {
  struct Case {
    bool errors, all, progress;
    const char* reported;  // for a file that cannot be opened, one whose extension is
                           // skipped, one that is searched
  };
  const Case cases[] = {
      {false, false, true, ",,PHHH"},  {false, false, false, ",,HHH"},
      {true, false, true, "E,E,PHHH"}, {false, true, true, ",,AHHH"},
      {true, true, true, "E,E,AHHH"},
  };
  for (const Case& c : cases) {
    Settings settings;
    settings.verboseErrors = c.errors;
    settings.verboseAll = c.all;
    settings.sanityIndicator = c.progress;
    const std::string got = scanned(settings, {path + ".missing", false}) + "," +
                            scanned(settings, {path, true}) + "," +
                            scanned(settings, {path, false});
    EXPECT_EQ(got, c.reported);
  }
}

TEST_F(FileScanTest, ABigFileIsHandedBackCutAndUnscanned) {
  struct Case {
    std::uint64_t pieceBytes;
    int lineWindow;
    std::uint64_t pieces;  // 0: scanned whole
    const char* reported;  // before '|', by `scan`; after it, by the pieces
  };
  const Case cases[] = {
      {0, 0, 0, "PHHH"},       // no piece size: never cut
      {5, 0, 2, "P|HH3H2"},    // twice the piece size is cut, each piece numbering its own
      {3, 0, 4, "P|H2H1H20"},  // pieces hold whole lines: the last one here none
      {6, 0, 0, "PHHH"},       // less than twice the piece size is not cut
      {3, 1025, 0, "PHHH"},    // nor where a window is too wide for pieces
  };
  for (const Case& c : cases) {
    Settings settings;
    settings.lineNumbers = true;
    settings.lineWindow = c.lineWindow;
    std::uint64_t pieces = 99;
    EXPECT_EQ(scanned(settings, {path, false}, c.pieceBytes, &pieces), c.reported) << c.pieceBytes;
    EXPECT_EQ(pieces, c.pieces) << c.pieceBytes;
  }
}

}  // namespace
