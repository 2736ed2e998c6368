#include "files/file_scan.h"

#include <algorithm>
#include <new>

#include "cmdline/settings.h"
#include "expr/expression.h"
#include "expr/hit_eval.h"
#include "expr/term_match.h"
#include "expr/term_search.h"
#include "files/line_list.h"
#include "files/path_parts.h"
#include "output/diagnostics.h"
#include "output/hit_display.h"
#include "platform/file_reader.h"
#include "platform/full_path.h"

std::string CurrentPath;
bool HeaderShown = false;

namespace {

// The path `skern` was given, while its full path has not been formed: most files are neither
// reported nor shown, and their full paths are never needed.
std::string pendingPath;
bool pathPending = false;

// Evaluates element `index` as a candidate centred at `centre`, showing it when it is a hit.
bool tryCandidate(std::size_t index, long long centre) {
  std::string_view window;
  if (!evaluateHit(index, centre, window)) return false;
  showhit(static_cast<long long>(lineNumberOf(index)), LineList[index], window);
  return true;
}

// Bytes of a block looked through at a time.
constexpr std::size_t kLookThroughPiece = std::size_t{1} << 15;

// Reads on in the file, block by block, while its raw bytes cannot hold an occurrence of the
// first term that starts at `from` or later: such blocks are only counted in elements. False
// once the file has no more; otherwise text has been added for the caller to search.
bool lookThrough(const TermSearcher& searcher, TextOffset& from) {
  const std::size_t overlap = searcher.term.size() - 1;
  for (;;) {
    std::string_view bytes = readRawBlock(from);
    if (bytes.empty()) return false;
    // Piece by piece, so that the bytes are still in the processor's nearest cache when the
    // elements of a piece without an occurrence are counted.
    std::size_t done = 0;
    while (done < bytes.size()) {
      std::size_t piece = std::min(bytes.size() - done, kLookThroughPiece + overlap);
      if (searchRawBytes(searcher, bytes.substr(done, piece)) >= 0) {
        acceptBlock(false);
        from += done;
        return true;
      }
      done += piece - std::min(piece, overlap);
      if (done + overlap >= bytes.size()) break;
      skipTo(from + done);
    }
    acceptBlock(true);
    TextOffset end = heldEnd();
    from = std::max(from, end - std::min<TextOffset>(end, overlap));
    skipTo(from);
  }
}

// With a first term: finds its occurrences in the text as it streams by and looks only at the
// elements they fall in; each such element is then judged by `findTerm` on its own text. The
// text is divided into elements only around the occurrences.
void scanForFirstTerm() {
  const std::string& term = Expression.firstTerm;
  TermSearcher searcher = prepareTerm(term, Settings.ignoreCase);
  TextOffset from = 0;
  for (;;) {
    long long found = searchTerm(searcher, heldText(from));
    if (found < 0) {
      // An occurrence may still start in the last bytes held and end in the next block.
      TextOffset end = heldEnd();
      from = std::max(from, end - std::min<TextOffset>(end, term.size() - 1));
      skipTo(from);
      if (!lookThrough(searcher, from)) return;
      continue;
    }
    TextOffset at = from + static_cast<TextOffset>(found);
    std::size_t index = elementHolding(at);
    std::string_view line = LineList[index];
    setScanFloor(index);
    // An occurrence that runs past the element's end (or lies after a NUL that cut the
    // element short) does not count for it, and none of it can start earlier.
    if (at + term.size() <= offsetOf(line.data()) + line.size()) {
      long long p = findTerm(line, term, false);
      if (p >= 0) tryCandidate(index, p);
    }
    setScanFloor(index + 1);
    from = haveElement(index + 1) ? offsetOf(LineList[index + 1].data()) : heldEnd();
  }
}

// Scans the file opened as `file`, whose binary test is due when `binaryTest`.
void scanFile(OpenFile& file, bool binaryTest) {
  setNumbering(Settings.lineNumbers);
  setWindowReach(0, 0);
  if (!Expression.groups.empty()) {
    if (Settings.charWindow > 0) {
      setWindowReach(0, static_cast<std::size_t>(Settings.charWindow));
    } else if (Settings.lineWindow > 0) {
      setWindowReach(static_cast<std::size_t>(Settings.lineWindow), 0);
    }
  }
  if (!binaryTest && !Expression.firstTerm.empty()) {
    // Most files do not hold the first term at all; that is told from the raw bytes read
    // with the open, where they lie.
    TermSearcher searcher = prepareTerm(Expression.firstTerm, Settings.ignoreCase);
    bool plain = searchRawBytes(searcher, file.ahead) < 0;
    if (plain && file.aheadIsWhole) return;
    startLines(file, plain);
    scanForFirstTerm();
    return;
  }
  startLines(file, false);
  if (binaryTest) {
    if (looksBinary()) {
      if (Settings.verboseErrors)
        diagnostic("skern:skern():binary skipped \"%s\"\n", currentPath().c_str());
      return;
    }
    // The test read on past text that the scan must see again.
    if (LineList.first() > 0 && !restartLines()) return;
  }
  scanLines();
}

}  // namespace

const std::string& currentPath() {
  if (pathPending) {
    pathPending = false;
    if (!fullPath(pendingPath, CurrentPath)) CurrentPath = pendingPath;
  }
  return CurrentPath;
}

bool looksBinary() {
  long long controls = 0;
  long long tested = 0;
  for (std::size_t index = 0; haveElement(index); ++index) {
    setScanFloor(index);
    for (char c : LineList[index]) {
      unsigned char u = static_cast<unsigned char>(c);
      if (u < 32 && u != '\t' && u != '\n') ++controls;
      if (++tested >= Settings.binaryTestChars) return controls >= Settings.binaryThreshold;
    }
  }
  return false;
}

void scanLines() {
  setScanFloor(0);
  if (!Expression.firstTerm.empty()) {
    scanForFirstTerm();
    return;
  }
  // An empty first term makes every element a candidate, centred at its middle; where that
  // fails, the empty term's own place in the element (if `findTerm` finds one) is tried once.
  for (std::size_t index = 0; haveElement(index); ++index) {
    setScanFloor(index);
    if (tryCandidate(index, static_cast<long long>(LineList[index].size() / 2))) continue;
    long long p = findTerm(LineList[index], Expression.firstTerm, false);
    if (p >= 0) tryCandidate(index, p);
  }
}

void skern(const std::string& path) {
  pendingPath = path;
  pathPending = true;
  if (extensionSkipped(path, Settings.skipExtensions)) {
    if (Settings.verboseErrors)
      diagnostic("skern:skern():extension skipped \"%s\"\n", currentPath().c_str());
    return;
  }
  OpenFile file;
  try {
    if (!openForReading(path, file)) {
      if (Settings.verboseErrors)
        diagnostic("skern:skern():couldn't open \"%s\"\n", currentPath().c_str());
      return;
    }
    openedStep();
    HeaderShown = false;
    LineList.clear();
    scanFile(file, Settings.binaryThreshold != 0 && Settings.binaryTestChars != 0);
  } catch (const std::bad_alloc&) {
    // A window too wide for the memory there is, or no room to read the file at all: this
    // file is given up, and the run goes on with the next.
    resetLines();
    if (Settings.verboseErrors)
      diagnostic("skern:skern():out of memory \"%s\"\n", currentPath().c_str());
  }
  closeFile(file);
}
