// Any file through the streaming scan, read a few bytes at a time (where it is mapped or not) or
// cut into pieces of a few bytes, shows what it shows read in one block; its first 3 bytes
// choose the search and sizes.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "expr/expression.h"
#include "files/file_scan.h"
#include "files/scan_config.h"
#include "output/scan_sink.h"

namespace {

// What the output shows of a scan's events, an event a line: H a hit and its number (in the
// file where `numbered`, else 0), E or A a message of its level, P a progress step, each with
// its texts and their lengths; nothing after a unit whose text ended.
class RecordingSink : public ScanSink {
 public:
  explicit RecordingSink(bool numbered) : numbered_(numbered) {}
  FileTally& tally() override { return tally_; }
  void hit(std::uint64_t element, std::string_view line, std::string_view window) override {
    show('H', numbered_ ? before_ + element : 0, line, window);
  }
  void message(MessageLevel level, std::string_view text) override {
    show(level == MessageLevel::kError ? 'E' : 'A', 0, text);
  }
  void progressStep() override { show('P'); }
  void endUnit(std::uint64_t elements, bool ended) override {
    before_ += elements;
    ended_ = ended_ || ended;
  }
  void flush() override {}

  std::string shown;

 private:
  void show(char kind, std::uint64_t number = 0, std::string_view a = {}, std::string_view b = {}) {
    if (ended_) return;
    shown += kind;
    shown += std::to_string(number);
    for (std::string_view part : {a, b})
      shown.append(" ").append(std::to_string(part.size())).append(":").append(part);
    shown += '\n';
  }
  FileTally tally_;
  bool numbered_;
  std::uint64_t before_ = 0;  // the elements of the units ended
  bool ended_ = false;        // a unit's text ended
};

const char* const kExpressions[] = {"a", "ab&c|d", "a\nb", "", "b|a&c", "aa&a", "\r", "c&\x01"};

// What the scan of `path` shows, read `block` bytes at a time after `ahead`, in pieces of
// `pieceBytes` (0: whole), looked through where the file is mapped when `mapped`.
std::string shown(ScanConfig config, const std::string& path, std::size_t block, std::size_t ahead,
                  std::uint64_t pieceBytes, bool mapped = false) {
  config.pieceBytes = pieceBytes;
  if (mapped) config.mappedFrom = 0;
  FileScan scan(config);
  scan.lines().setReadBlockSize(block);
  scan.reader().setReadAheadBytes(ahead);
  RecordingSink out(config.display.lineNumbers);
  if (std::shared_ptr<SplitFile> split = scan.scan(FileToScan{path, false}, out, true)) {
    for (std::uint64_t piece = 0; piece < split->pieces; ++piece) {
      scan.scanPiece(*split, piece, out);
    }
  }
  return out.shown;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  static const std::string path = "/tmp/skern-fuzz-" + std::to_string(getpid()) + ".txt";
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data + 3), size - 3);
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
  const std::string whole = shown(config, path, 1 << 18, 1 << 16, 0);
  const std::size_t block = 1 + data[2] % 13, few = 1 + data[2] / 13 % 17;
  const bool mapped = (data[1] & 64) != 0;
  if (shown(config, path, block, few, 0, mapped) != whole) std::abort();
  if (shown(config, path, block, 1 << 16, few, mapped) != whole) std::abort();
  return 0;
}
