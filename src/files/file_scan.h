// Scanning one file: open, binary test, reading, and the walk over its lines.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "files/candidate_windows.h"
#include "files/line_list.h"
#include "files/piece_bounds.h"
#include "files/scan_config.h"
#include "output/scan_sink.h"

/// The most pieces a file is cut into; a bigger file has bigger pieces.
inline constexpr std::uint64_t kMostPieces = 4096;

/// A big file searched in pieces, which several threads may scan at once: what they share.
struct SplitFile {
  SplitFile() = default;
  SplitFile(const SplitFile&) = delete;
  SplitFile& operator=(const SplitFile&) = delete;
  /// Closes the file, once every piece is done with it.
  ~SplitFile();

  OpenFile file;                 ///< Open for every piece's positioned reads.
  std::uint64_t pieces = 0;      ///< How many pieces there are.
  std::uint64_t pieceBytes = 0;  ///< The bytes of every piece but the last.
  /// The first piece that ended the text or gave the file up, as soon as it knows: later
  /// pieces may stop early. Read and written by any thread.
  std::atomic<std::uint64_t> endedAt{UINT64_MAX};
};

/// A file as the walk hands it over.
struct FileToScan {
  std::string path;               ///< As the directory part and the listed name make it.
  bool extensionSkipped = false;  ///< Its extension is on the skip list: it is not opened.
};

/// The scan of one file at a time; each thread that scans owns one.
class FileScan {
 public:
  /// A scan under `config`, which must outlive it.
  explicit FileScan(const ScanConfig& config);

  /// Scans `file` (relative to the current directory unless absolute), reporting its
  /// messages and hits to `out`. Where `mayCut` and the file is big enough, it is cut into
  /// pieces instead, and none is scanned: the caller scans each with `scanPiece`, the first
  /// reporting to `out`, the others to sinks that show `out`'s tally. Returns the file cut,
  /// else null.
  std::shared_ptr<SplitFile> scan(const FileToScan& file, ScanSink& out, bool mayCut = false);

  /// Scans piece `index` of `file`, reporting to `out`, which shows the file's tally.
  void scanPiece(SplitFile& file, std::uint64_t index, ScanSink& out);

  /// Tells the scan the files it is to open next, in this order, so that they may be opened
  /// together.
  void expectFiles(std::vector<std::string> paths) { reader_.expectFiles(std::move(paths)); }

  /// The text as the scan holds it (for tests: the read size).
  LineList& lines() { return lines_; }
  /// What the scan opens and reads files with (for tests: the bytes read with the open).
  FileReader& reader() { return reader_; }

 private:
  bool report(MessageLevel level, const char* format);
  std::shared_ptr<SplitFile> splitFile(OpenFile& file);
  std::uint64_t scanUnit(OpenFile& file, const PieceBounds& bounds, bool binaryTest,
                         bool plainReady);
  bool scanText(PieceReader& reader, bool binaryTest, bool plainReady);
  bool looksBinary();
  void scanLines(TextOffset start);
  void scanForFirstTerm(TextOffset start);
  bool lookThrough(TextOffset& from);
  bool tryCandidate(std::size_t index, long long centre);
  void showHit(std::size_t index, std::string_view window);
  bool binaryTestDue() const;
  bool stopped() const;

  const ScanConfig& config_;
  FileReader reader_;
  LineList lines_;
  CandidateWindows windows_;
  ScanSink* out_ = nullptr;
  std::size_t firstElement_ = 0;  // the unit's first element
  // The piece being scanned and the file it belongs to; null for a file scanned whole.
  SplitFile* split_ = nullptr;
  std::uint64_t piece_ = 0;
  bool ended_ = false;  // the unit's text ended, or its file was given up
};
