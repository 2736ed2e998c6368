// Any file through the streaming scan, read a few bytes at a time or cut into pieces of a few
// bytes, shows exactly what it shows read in one block, under any search. The first three
// bytes choose the search, the reads' sizes and the pieces' size.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "expr/expression.h"
#include "files/file_scan.h"
#include "files/recording_sink.h"
#include "files/scan_config.h"

namespace {

const char* const kExpressions[] = {"a", "ab&c|d", "a\nb", "", "b|a&c", "aa&a", "\r", "c&\x01"};

// What the output shows of the scan of the file at `path`, read `block` bytes at a time after
// `ahead`, in pieces of `pieceBytes` (0: whole).
std::vector<ScanEvent> shown(ScanConfig config, const std::string& path, std::size_t block,
                             std::size_t ahead, std::uint64_t pieceBytes) {
  config.pieceBytes = pieceBytes;
  FileScan scan(config);
  scan.lines().setReadBlockSize(block);
  scan.reader().setReadAheadBytes(ahead);
  RecordingSink out;
  if (std::shared_ptr<SplitFile> split = scan.scan(FileToScan{path, false}, out, true)) {
    for (std::uint64_t piece = 0; piece < split->pieces; ++piece) {
      scan.scanPiece(*split, piece, out);
    }
  }
  return shownEvents(out.events, config.display.lineNumbers);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  static const std::string path = "/tmp/skern-fuzz-" + std::to_string(getpid()) + ".txt";
  FILE* file = std::fopen(path.c_str(), "wb");
  std::fwrite(data + 3, 1, size - 3, file);
  std::fclose(file);

  ExpressionParser parser;
  std::string bad;
  parseExpressionText(kExpressions[data[0] & 7], parser, bad);
  Settings settings;
  settings.lineNumbers = (data[0] & 8) != 0;
  settings.ignoreCase = (data[0] & 16) != 0;
  settings.wholeWords = (data[0] & 32) != 0;
  if (data[0] & 64) {
    settings.charWindow = data[1] % 41;
  } else {
    settings.lineWindow = data[1] % 5;
  }
  if (data[0] & 128) settings.binaryThreshold = 3;
  settings.verboseErrors = true;
  settings.verboseAll = (data[1] & 128) != 0;
  const ScanConfig config = scanConfig(settings, parser.expression);
  std::vector<ScanEvent> whole = shown(config, path, 1 << 18, 1 << 16, 0);
  std::vector<ScanEvent> blocks = shown(config, path, 1 + data[2] % 13, 1 + data[2] / 13 % 17, 0);
  if (whole != blocks) std::abort();
  std::vector<ScanEvent> pieces =
      shown(config, path, 1 + data[2] % 13, 1 << 16, 1 + data[2] / 13 % 17);
  if (whole != pieces) std::abort();
  return 0;
}
