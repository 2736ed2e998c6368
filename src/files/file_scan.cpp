#include "files/file_scan.h"

#include <algorithm>
#include <new>

#include "expr/term_match.h"
#include "expr/term_search.h"
#include "files/line_window.h"
#include "output/diagnostics.h"
#include "platform/file_reader.h"
#include "platform/full_path.h"

namespace {

// Bytes of a block looked through at a time.
constexpr std::size_t kLookThroughPiece = std::size_t{1} << 15;

// Bytes of hits written at a time, where they are held.
constexpr std::size_t kHitBlock = std::size_t{1} << 16;

}  // namespace

FileScan::FileScan(const ScanConfig& config) : config_(config) {
  lines_.setNumbering(config.display.lineNumbers);
  // Only groups are looked for in a window.
  if (!config.expression.groups.empty()) {
    if (config.charWindow > 0) {
      lines_.setWindowReach(0, static_cast<std::size_t>(config.charWindow));
    } else if (config.lineWindow > 0) {
      lines_.setWindowReach(static_cast<std::size_t>(config.lineWindow), 0);
    }
  }
}

const std::string& FileScan::fullPath() {
  if (!pathFormed_) {
    pathFormed_ = true;
    if (!::fullPath(path_, fullPath_)) fullPath_ = path_;
  }
  return fullPath_;
}

void FileScan::report(const char* format) {
  writeHits();
  out_->message(formatMessage(format, fullPath().c_str()));
}

void FileScan::writeHits() {
  if (hitText_.empty()) return;
  out_->hits(hitText_);
  hitText_.clear();
}

void FileScan::showHit(std::size_t index, std::string_view window) {
  if (!headerShown_) {
    headerShown_ = true;
    formatHeader(fullPath(), hitText_);
  }
  long long number = static_cast<long long>(lines_.lineNumberOf(index));
  formatHit(config_.display, number, lines_[index], window, hitText_);
  if (!config_.holdHits || hitText_.size() >= kHitBlock) writeHits();
}

// Evaluates element `index` as a candidate centred at `centre`, showing it when it is a hit.
bool FileScan::tryCandidate(std::size_t index, long long centre) {
  const PreparedExpression& expression = config_.expression;
  if (expression.groups.empty()) {
    showHit(index, lines_[index]);
    return true;
  }
  // Building a window may read on in the file and move the text held: views are taken anew.
  std::string_view window = lines_[index];
  bool trimmed = false;
  if (config_.charWindow > 0) {
    trimmed = expression.wholeWords;
    window = characterWindow(lines_, index, static_cast<std::size_t>(centre),
                             expression.firstTerm.term.size(),
                             static_cast<std::size_t>(config_.charWindow), joined_);
  } else if (config_.lineWindow > 0) {
    window = lineWindow(lines_, index, static_cast<std::size_t>(config_.lineWindow), joined_);
  }
  if (!evaluateHit(expression, window, trimmed)) return false;
  showHit(index, window);
  return true;
}

// Reads on in the file, block by block, while its raw bytes cannot hold an occurrence of the
// first term that starts at `from` or later: such blocks are only counted in elements. False
// once the file has no more; otherwise text has been added for the caller to search.
bool FileScan::lookThrough(TextOffset& from) {
  const TermSearcher& searcher = config_.expression.firstTerm;
  const std::size_t overlap = searcher.term.size() - 1;
  for (;;) {
    std::string_view bytes = lines_.readRawBlock(from);
    if (bytes.empty()) return false;
    // Piece by piece, so that the bytes are still in the processor's nearest cache when the
    // elements of a piece without an occurrence are counted.
    std::size_t done = 0;
    while (done < bytes.size()) {
      std::size_t piece = std::min(bytes.size() - done, kLookThroughPiece + overlap);
      if (searchRawBytes(searcher, bytes.substr(done, piece)) >= 0) {
        lines_.acceptBlock(false);
        from += done;
        return true;
      }
      done += piece - std::min(piece, overlap);
      if (done + overlap >= bytes.size()) break;
      lines_.skipTo(from + done);
    }
    lines_.acceptBlock(true);
    TextOffset end = lines_.heldEnd();
    from = std::max(from, end - std::min<TextOffset>(end, overlap));
    lines_.skipTo(from);
  }
}

// With a first term: finds its occurrences in the text as it streams by and looks only at the
// elements they fall in. The text is divided into elements only around the occurrences.
void FileScan::scanForFirstTerm() {
  const TermSearcher& searcher = config_.expression.firstTerm;
  const bool wholeWords = config_.expression.wholeWords;
  const std::size_t termLength = searcher.term.size();
  TextOffset from = 0;
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
    // The lines before the occurrence are passed over (only counted), not divided.
    lines_.skipTo(at);
    std::size_t index = lines_.elementHolding(at);
    std::string_view line = lines_[index];
    TextOffset lineStart = lines_.offsetOf(line.data());
    lines_.setScanFloor(index);
    // An occurrence that runs past the element's end (or lies after a NUL that cut the
    // element short) does not count for it, and none of it can start earlier. No occurrence
    // starts in the element before `at`.
    if (at + termLength <= lineStart + line.size()) {
      long long p =
          findTerm(searcher, line, wholeWords, false, static_cast<std::size_t>(at - lineStart));
      if (p >= 0) tryCandidate(index, p);
    }
    lines_.setScanFloor(index + 1);
    from = lines_.haveElement(index + 1) ? lines_.offsetOf(lines_[index + 1].data())
                                         : lines_.heldEnd();
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

void FileScan::scanLines() {
  lines_.setScanFloor(0);
  const PreparedExpression& expression = config_.expression;
  if (!expression.firstTerm.term.empty()) {
    scanForFirstTerm();
    return;
  }
  // An empty first term makes every element a candidate, centred at its middle; where that
  // fails, the empty term's own place in the element (if `findTerm` finds one) is tried once.
  for (std::size_t index = 0; lines_.haveElement(index); ++index) {
    lines_.setScanFloor(index);
    if (tryCandidate(index, static_cast<long long>(lines_[index].size() / 2))) continue;
    long long p = findTerm(expression.firstTerm, lines_[index], expression.wholeWords, false);
    if (p >= 0) tryCandidate(index, p);
  }
}

// Scans the file opened as `file`, whose binary test is due when `binaryTest`.
void FileScan::scanFile(OpenFile& file, bool binaryTest) {
  const PreparedExpression& expression = config_.expression;
  if (!binaryTest && !expression.firstTerm.term.empty()) {
    // Most files do not hold the first term at all; that is told from the raw bytes read
    // with the open, where they lie.
    bool plain = searchRawBytes(expression.firstTerm, file.ahead) < 0;
    if (plain && file.aheadIsWhole) return;
    lines_.startLines(file, plain);
    scanForFirstTerm();
    return;
  }
  lines_.startLines(file, false);
  if (binaryTest) {
    if (looksBinary()) {
      if (config_.verboseErrors) report("skern:skern():binary skipped \"%s\"\n");
      return;
    }
    // The test read on past text that the scan must see again.
    if (lines_.first() > 0 && !lines_.restartLines()) return;
  }
  scanLines();
}

bool FileScan::scan(const FileToScan& file, FileOutput& out) {
  path_ = file.path;
  pathFormed_ = false;
  headerShown_ = false;
  out_ = &out;
  if (file.extensionSkipped) {
    if (config_.verboseErrors) report("skern:skern():extension skipped \"%s\"\n");
    return false;
  }
  OpenFile opened;
  try {
    if (!openForReading(path_, opened)) {
      if (config_.verboseErrors) report("skern:skern():couldn't open \"%s\"\n");
      return false;
    }
    if (isStandardOutput(opened, config_.output)) {
      // The file the hits go to: searching it would find them again as they are written.
      closeFile(opened);
      if (config_.verboseErrors) report("skern:skern():output file skipped \"%s\"\n");
      return false;
    }
    if (config_.verboseAll) {
      report("skern:skern():opened \"%s\"\n");
    } else if (config_.sanityIndicator) {
      out.progressStep();
    }
    scanFile(opened, config_.binaryThreshold != 0 && config_.binaryTestChars != 0);
  } catch (const std::bad_alloc&) {
    // A window too wide for the memory there is, or no room to read the file at all: this
    // file is given up, and the run goes on with the next.
    lines_.release();
    if (config_.verboseErrors) report("skern:skern():out of memory \"%s\"\n");
  }
  writeHits();
  closeFile(opened);
  return headerShown_;
}
