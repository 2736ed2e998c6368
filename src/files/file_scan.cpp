#include "files/file_scan.h"

#include <algorithm>
#include <new>

#include "expr/term_match.h"
#include "expr/term_search.h"
#include "output/diagnostics.h"
#include "platform/file_reader.h"

namespace {

// Bytes of a raw block looked through at a time.
constexpr std::size_t kLookThroughStretch = std::size_t{1} << 15;

// The widest windows that pieces serve: a wider one has each piece read too much of the text
// before it again, and the file is scanned whole.
constexpr int kMostPieceLineWindow = 1024;
constexpr int kMostPieceCharWindow = 1 << 20;

// Marks `index` as a piece that ended its file's text, so that later pieces may stop.
void noteEnded(SplitFile& file, std::uint64_t index) {
  std::uint64_t seen = file.endedAt.load(std::memory_order_relaxed);
  while (index < seen && !file.endedAt.compare_exchange_weak(seen, index)) {
  }
}

}  // namespace

SplitFile::~SplitFile() {
  closeFile(file);
}

FileScan::FileScan(const ScanConfig& config)
    : config_(config), windows_(config.expression, config.reach) {
  lines_.setNumbering(config.display.lineNumbers);
  lines_.setWindowReach(config.reach);
  if (config.blockHook) lines_.setBlockHook(&config.blockHook);
}

// Reports the message `format` makes of the file's full path, where the verbosity writes
// messages of `level`; true when it does.
bool FileScan::report(MessageLevel level, const char* format) {
  if (!(level == MessageLevel::kError ? config_.verboseErrors : config_.verboseAll)) return false;
  out_->message(level, formatMessage(format, out_->tally().fullPath().c_str()));
  return true;
}

void FileScan::showHit(std::size_t index, std::string_view window) {
  out_->hit(index - firstElement_, lines_[index], window);
}

// Whether files are tested for binary content: both of the test's numbers are set.
bool FileScan::binaryTestDue() const {
  return config_.binaryThreshold != 0 && config_.binaryTestChars != 0;
}

bool FileScan::stopped() const {
  return split_ != nullptr && split_->endedAt.load(std::memory_order_relaxed) < piece_;
}

// Evaluates element `index` as a candidate centred at `centre`, showing it when it is a hit.
bool FileScan::tryCandidate(std::size_t index, long long centre) {
  const PreparedExpression& expression = config_.expression;
  if (expression.groups.empty()) {
    showHit(index, lines_[index]);
    return true;
  }
  if (config_.reach.lines == 0 && config_.reach.bytes == 0) {
    // No window: the element alone.
    if (!evaluateHit(expression, lines_[index], false)) return false;
    showHit(index, lines_[index]);
    return true;
  }
  std::string_view window;
  if (!windows_.evaluate(lines_, index, static_cast<std::size_t>(centre), window)) return false;
  showHit(index, window);
  return true;
}

// Reads on in the file, block by block, while its raw bytes cannot hold an occurrence of the
// first term that starts at `from` or later: such blocks are only counted in elements. False
// once the file has no more; otherwise text has been added for the caller to search.
bool FileScan::lookThrough(TextOffset& from) {
  const TermSearcher& searcher = config_.expression.firstTerm;
  const std::size_t overlap = searcher.term.size() - 1;
  // The first block is read: the block before it held an occurrence, and so may this one,
  // whose text is then wanted at once. The blocks after it are looked at where the file is
  // mapped, if it is.
  bool mayMap = false;
  for (;;) {
    // The whole piece has been looked through; what follows it is read only for windows.
    if (lines_.pastPiece(lines_.heldEnd()) || stopped()) return false;
    std::string_view bytes = lines_.readRawBlock(from, mayMap);
    if (bytes.empty()) return false;
    mayMap = true;
    // A stretch at a time, so that the bytes are still in the processor's nearest cache when
    // the elements of a stretch without an occurrence are counted.
    std::size_t done = 0;
    bool found = false;
    while (done < bytes.size()) {
      std::size_t stretch = std::min(bytes.size() - done, kLookThroughStretch + overlap);
      if (searchRawBytes(searcher, bytes.substr(done, stretch)) >= 0) {
        found = true;
        break;
      }
      done += stretch - std::min(stretch, overlap);
      if (done + overlap >= bytes.size()) break;
      lines_.skipTo(from + done);
    }
    if (!lines_.acceptBlock(!found)) {
      // The file lost the block's bytes: it is read again, as far as the file still has it.
      from = std::min(from, lines_.heldEnd());
      continue;
    }
    if (found) {
      from += done;
      return true;
    }
    TextOffset end = lines_.heldEnd();
    from = std::max(from, end - std::min<TextOffset>(end, overlap));
    lines_.skipTo(from);
  }
}

// With a first term: finds its occurrences in the text as it streams by and looks only at the
// elements they fall in. The text is divided into elements only around the occurrences.
void FileScan::scanForFirstTerm(TextOffset start) {
  const TermSearcher& searcher = config_.expression.firstTerm;
  const bool wholeWords = config_.expression.wholeWords;
  const std::size_t termLength = searcher.term.size();
  TextOffset from = start;
  for (;;) {
    long long found = searchTerm(searcher, lines_.heldText(from));
    if (found < 0) {
      // An occurrence may still start in the last bytes held and end in the next block.
      TextOffset end = lines_.heldEnd();
      from = std::max(from, end - std::min<TextOffset>(end, termLength - 1));
      lines_.skipTo(from);
      if (!lookThrough(from)) return;
      continue;
    }
    TextOffset at = from + static_cast<TextOffset>(found);
    if (lines_.pastPiece(at)) return;
    // The lines before the occurrence are passed over (only counted), not divided.
    lines_.skipTo(at);
    std::size_t index = lines_.elementHolding(at);
    std::string_view line = lines_[index];
    TextOffset lineStart = lines_.offsetOf(line.data());
    if (lines_.pastPiece(lineStart)) return;
    lines_.setScanFloor(index);
    // An occurrence that runs past the element's end (or lies after a NUL that cut the
    // element short) does not count for it, and none of it can start earlier. No occurrence
    // starts in the element before `at`.
    if (at + termLength <= lineStart + line.size()) {
      // The occurrence found is the element's first; as a whole word it may be a later one.
      const std::size_t offset = static_cast<std::size_t>(at - lineStart);
      long long p = wholeWords ? findTerm(searcher, line, true, false, offset)
                               : static_cast<long long>(offset);
      if (p >= 0) tryCandidate(index, p);
    }
    lines_.setScanFloor(index + 1);
    // The search goes on at the next element, which is not divided before it is wanted.
    from =
        index + 1 < lines_.size() ? lines_.offsetOf(lines_[index + 1].data()) : lines_.dividedEnd();
  }
}

bool FileScan::looksBinary() {
  long long controls = 0;
  long long tested = 0;
  for (std::size_t index = 0; lines_.haveElement(index); ++index) {
    lines_.setScanFloor(index);
    for (char c : lines_[index]) {
      unsigned char u = static_cast<unsigned char>(c);
      if (u < 32 && u != '\t' && u != '\n') ++controls;
      if (++tested >= config_.binaryTestChars) return controls >= config_.binaryThreshold;
    }
  }
  return false;
}

void FileScan::scanLines(TextOffset start) {
  const PreparedExpression& expression = config_.expression;
  if (!expression.firstTerm.term.empty()) {
    scanForFirstTerm(start);
    return;
  }
  // An empty first term makes every element a candidate, centred at its middle; where that
  // fails, the empty term's own place in the element (if `findTerm` finds one) is tried once.
  for (std::size_t index = firstElement_; lines_.haveElement(index); ++index) {
    if (lines_.pastPiece(lines_.offsetOf(lines_[index].data())) || stopped()) return;
    lines_.setScanFloor(index);
    if (tryCandidate(index, static_cast<long long>(lines_[index].size() / 2))) continue;
    long long p = findTerm(expression.firstTerm, lines_[index], expression.wholeWords, false);
    if (p >= 0) tryCandidate(index, p);
  }
}

// Scans the text that `reader` reads, whose binary test is due when `binaryTest`; false when
// the file turned out binary. `plainReady`: the bytes at hand hold no CR and no 0x1A.
bool FileScan::scanText(PieceReader& reader, bool binaryTest, bool plainReady) {
  firstElement_ = 0;
  lines_.startLines(reader, plainReady);
  lines_.setScanFloor(0);
  if (binaryTest) {
    if (looksBinary()) return false;
    // The test read on past text that the scan must see again, and, in a piece, past the
    // piece's end, which the count of its elements must find as any scan does.
    if ((lines_.first() > 0 || split_ != nullptr) && !lines_.restartLines()) return true;
    lines_.setScanFloor(0);
  }
  TextOffset start = 0;
  if (!reader.startsAtPiece()) {
    // The text before the piece is there for windows only.
    start = lines_.pieceStart();
    firstElement_ = lines_.elementsBefore(start);
    lines_.setScanFloor(firstElement_);
  }
  windows_.start();
  scanLines(start);
  return true;
}

// Scans one unit within `bounds` of `file`, opened, whose binary test is due when
// `binaryTest`; `plainReady` as for `scanText`. Returns the unit's elements where the line
// numbers of later pieces depend on them, else 0.
std::uint64_t FileScan::scanUnit(OpenFile& file, const PieceBounds& bounds, bool binaryTest,
                                 bool plainReady) {
  PieceReader reader(file, bounds, config_.mappedFrom);
  ended_ = false;
  std::uint64_t elements = 0;
  if (!scanText(reader, binaryTest, plainReady)) {
    ended_ = true;
    report(MessageLevel::kError, "skern:skern():binary skipped \"%s\"\n");
  } else {
    ended_ = lines_.endedInPiece();
    // A piece's elements are counted for the numbers of the pieces after it.
    if (split_ != nullptr && !ended_ && !stopped() && config_.display.lineNumbers) {
      elements = lines_.elementsBefore(lines_.pieceEnd()) - firstElement_;
    }
  }
  lines_.detachReader();
  return elements;
}

// Cuts `file` into pieces when it is big enough to pay and its windows are narrow enough;
// null when it stays whole. The split file takes over the open file.
std::shared_ptr<SplitFile> FileScan::splitFile(OpenFile& file) {
  const std::uint64_t pieceBytes = config_.pieceBytes;
  if (pieceBytes == 0 || file.size < 0 || static_cast<std::uint64_t>(file.size) < 2 * pieceBytes ||
      config_.lineWindow > kMostPieceLineWindow || config_.charWindow > kMostPieceCharWindow) {
    return nullptr;
  }
  auto split = std::make_shared<SplitFile>();
  const std::uint64_t size = static_cast<std::uint64_t>(file.size);
  split->pieceBytes = std::max(pieceBytes, (size + kMostPieces - 1) / kMostPieces);
  split->pieces = (size + split->pieceBytes - 1) / split->pieceBytes;
  // Every piece reads with positioned reads; the bytes read with the open lie in this
  // thread's own room, which its next files take.
  reader_.handOver(file);
  split->file = file;
  split->file.ahead = std::string_view();
  split->file.aheadIsWhole = false;
  file = OpenFile();
  return split;
}

void FileScan::scanPiece(SplitFile& file, std::uint64_t index, ScanSink& out) {
  out_ = &out;
  split_ = &file;
  piece_ = index;
  ended_ = false;
  std::uint64_t elements = 0;
  try {
    PieceBounds bounds =
        findPieceBounds(file.file, index, file.pieces, file.pieceBytes, config_.reach);
    if (!bounds.empty && !stopped()) {
      bool binaryTest = index == 0 && binaryTestDue();
      // The binary test looks at the file's first characters, past the first piece's end.
      if (binaryTest) bounds.readPastEnd = true;
      elements = scanUnit(file.file, bounds, binaryTest, false);
    }
  } catch (const std::bad_alloc&) {
    lines_.release();
    windows_.release();
    ended_ = true;
    report(MessageLevel::kError, "skern:skern():out of memory \"%s\"\n");
  }
  if (ended_) noteEnded(file, index);
  out.endUnit(elements, ended_);
  split_ = nullptr;
}

std::shared_ptr<SplitFile> FileScan::scan(const FileToScan& file, ScanSink& out, bool mayCut) {
  out_ = &out;
  split_ = nullptr;
  out.tally().path = file.path;
  if (file.extensionSkipped) {
    report(MessageLevel::kError, "skern:skern():extension skipped \"%s\"\n");
    return nullptr;
  }
  OpenFile opened;
  std::shared_ptr<SplitFile> split;
  try {
    if (!reader_.open(file.path, opened)) {
      report(MessageLevel::kError, "skern:skern():couldn't open \"%s\"\n");
      return nullptr;
    }
    if (isStandardOutput(opened, config_.output)) {
      // The file the hits go to: searching it would find them again as they are written.
      reader_.close(opened);
      report(MessageLevel::kError, "skern:skern():output file skipped \"%s\"\n");
      return nullptr;
    }
    // The highest verbosity tells of every file opened; below it, the progress count does.
    if (!report(MessageLevel::kAll, "skern:skern():opened \"%s\"\n") && config_.sanityIndicator) {
      out.progressStep();
    }
    if (mayCut) split = splitFile(opened);
    if (split) {
      // The pieces name the file after the walk's path for it has gone, on any thread.
      out.tally().fullPath();
    } else {
      const PreparedExpression& expression = config_.expression;
      bool binaryTest = binaryTestDue();
      // Most files do not hold the first term at all; that is told from the raw bytes read
      // with the open, where they lie.
      bool plain = !binaryTest && !expression.firstTerm.term.empty() &&
                   searchRawBytes(expression.firstTerm, opened.ahead) < 0;
      if (!plain || !opened.aheadIsWhole) scanUnit(opened, PieceBounds(), binaryTest, plain);
    }
  } catch (const std::bad_alloc&) {
    // A window too wide for the memory there is, or no room to read the file at all: this
    // file is given up, and the run goes on with the next.
    lines_.release();
    windows_.release();
    split.reset();
    report(MessageLevel::kError, "skern:skern():out of memory \"%s\"\n");
  }
  out.flush();
  reader_.close(opened);
  return split;
}
