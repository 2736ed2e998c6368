// Any file through the streaming scan, read a few bytes at a time or cut into pieces of a few
// bytes, shows exactly what it shows read in one block, under any search. The first three
// bytes choose the search, the reads' sizes and the pieces' size.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "expr/expression.h"
#include "files/file_scan.h"
#include "output/file_output.h"
#include "platform/file_reader.h"

namespace {

const char* const kExpressions[] = {"a", "ab&c|d", "a\nb", "", "b|a&c", "aa&a", "\r", "c&\x01"};

// Keeps the pieces of the file the scan cuts, to be scanned one after the other.
struct KeptPieces : PieceSink {
  void addPieces(const std::shared_ptr<SplitFile>& file) override { kept = file; }
  std::shared_ptr<SplitFile> kept;
};

// What the scan shows for the file at `path`, read `block` bytes at a time after `ahead`, in
// pieces of `pieceBytes` (0: whole).
std::string shown(ScanConfig config, const std::string& path, std::size_t block, std::size_t ahead,
                  std::uint64_t pieceBytes) {
  config.pieceBytes = pieceBytes;
  FileScan scan(config);
  scan.lines().setReadBlockSize(block);
  scan.reader().setReadAheadBytes(ahead);
  char* text = nullptr;
  std::size_t size = 0;
  OutputStreams streams;
  streams.hitStream = open_memstream(&text, &size);
  streams.display = config.display;
  {
    KeptPieces pieces;
    FileOutput out(streams);
    scan.scan(FileToScan{path, false}, out, &pieces);
    if (pieces.kept) {
      for (std::uint64_t piece = 1; piece < pieces.kept->pieces; ++piece) {
        FileOutput next(streams);
        next.useTally(pieces.kept->tally);
        scan.scanPiece(*pieces.kept, piece, next);
      }
    }
  }
  std::fclose(streams.hitStream);
  std::string shownText(text, size);
  std::free(text);
  return shownText;
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
  ScanConfig config;
  config.sanityIndicator = false;
  config.display.lineNumbers = (data[0] & 8) != 0;
  config.expression =
      prepareExpression(parser.expression, (data[0] & 16) != 0, (data[0] & 32) != 0);
  if (data[0] & 64) {
    config.charWindow = data[1] % 41;
  } else {
    config.lineWindow = data[1] % 5;
  }
  if (data[0] & 128) config.binaryThreshold = 3;
  config.display.rightMargin = data[1] / 5 % 50 - 5;  // any margin, also none
  std::string whole = shown(config, path, 1 << 18, 1 << 16, 0);
  std::string blocks = shown(config, path, 1 + data[2] % 13, 1 + data[2] / 13 % 17, 0);
  if (whole != blocks) std::abort();
  std::string pieces = shown(config, path, 1 + data[2] % 13, 1 << 16, 1 + data[2] / 13 % 17);
  if (whole != pieces) std::abort();
  return 0;
}
