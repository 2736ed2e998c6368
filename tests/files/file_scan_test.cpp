// What a scan reports through a stand-in sink where the case files cannot see it cheaply: the
// messages each verbosity lets through, at their levels, and big files handed back cut.
#include "files/file_scan.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "files/recording_sink.h"

namespace {

// What a scan under `settings` (searching "a") reports in short for a file that cannot be
// opened, one whose extension is skipped and `path`; a file handed back cut shows '|', then
// what its pieces report, scanned in order.
std::string scanned(const Settings& settings, std::uint64_t pieceBytes, const std::string& path) {
  ScanConfig config = scanConfig(settings, Expression{"a", {}});
  config.pieceBytes = pieceBytes;
  FileScan scan(config);
  std::string all;
  for (const FileToScan& file :
       {FileToScan{path + ".missing", false}, FileToScan{path, true}, FileToScan{path, false}}) {
    RecordingSink out;
    if (std::shared_ptr<SplitFile> split = scan.scan(file, out, true)) {
      out.brief += '|';
      for (std::uint64_t piece = 0; piece < split->pieces; ++piece)
        scan.scanPiece(*split, piece, out);
    }
    all += out.brief + ',';
  }
  all.pop_back();
  return all;
}

TEST(FileScan, EachVerbosityAndPieceSizeLetsItsEventsThrough) {
  const struct {
    bool errors, all, progress;
    std::uint64_t pieceBytes;
    int lineWindow;
    const char* reported;
  } cases[] = {
      {false, false, true, 0, 0, ",,PHHH"},       // the progress count; no piece size: never cut
      {false, false, false, 0, 0, ",,HHH"},       // no count
      {true, false, true, 0, 0, "E,E,PHHH"},      // errors only
      {false, true, true, 0, 0, ",,AHHH"},        // the rest only: "opened" in place of the count
      {true, true, true, 0, 0, "E,E,AHHH"},       // both
      {false, false, true, 5, 0, ",,P|HH3H2"},    // twice the piece size is cut, each piece counted
      {false, false, true, 3, 0, ",,P|H2H1H20"},  // pieces hold whole lines: the last one none
      {false, false, true, 6, 0, ",,PHHH"},       // less than twice the piece size is not cut
      {false, false, true, 3, 1025, ",,PHHH"},    // nor where a window is too wide for pieces
  };
  const std::string path = (std::filesystem::temp_directory_path() / "skern-file-scan").string();
  std::ofstream(path, std::ios::binary) << "a\nb\na\nb\na\n";  // 10 bytes
  for (const auto& c : cases) {
    Settings settings;
    settings.verboseErrors = c.errors;
    settings.verboseAll = c.all;
    settings.sanityIndicator = c.progress;
    settings.lineNumbers = true;
    settings.lineWindow = c.lineWindow;
    EXPECT_EQ(scanned(settings, c.pieceBytes, path), c.reported) << c.pieceBytes;
  }
  std::filesystem::remove(path);
}

}  // namespace
