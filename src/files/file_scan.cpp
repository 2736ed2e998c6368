#include "files/file_scan.h"

#include <algorithm>
#include <cstring>

#include "cmdline/settings.h"
#include "expr/expression.h"
#include "expr/hit_eval.h"
#include "expr/term_match.h"
#include "expr/term_search.h"
#include "files/line_list.h"
#include "files/path_parts.h"
#include "files/text_mode.h"
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
  showhit(static_cast<long long>(index) + 1, LineList[index], window);
  return true;
}

// The first element, at or after `from`, whose chunk holds the byte at `at`; the text has
// been divided through `at`.
std::size_t elementHolding(std::size_t from, const char* at) {
  auto later =
      std::upper_bound(LineList.begin() + static_cast<std::ptrdiff_t>(from), LineList.end(), at,
                       [](const char* p, std::string_view line) { return p < line.data(); });
  return static_cast<std::size_t>(later - LineList.begin()) - 1;
}

// With a first term: finds its occurrences in the whole text at once and looks only at the
// elements they fall in; each such element is then judged by `findTerm` on its own text.
// The text is divided into elements only as far as the occurrences reach.
void scanForFirstTerm() {
  const std::string& term = Expression.firstTerm;
  TermSearcher searcher = prepareTerm(term, Settings.ignoreCase);
  const char* textEnd = FileText.data.get() + FileText.size;
  const char* from = FileText.data.get();
  std::size_t index = 0;
  while (from < textEnd) {
    long long found =
        searchTerm(searcher, std::string_view(from, static_cast<std::size_t>(textEnd - from)));
    if (found < 0) return;
    const char* at = from + found;
    divideThrough(at);
    index = elementHolding(index, at);
    std::string_view line = LineList[index];
    // An occurrence that runs past the element's end (or lies after a NUL that cut the
    // element short) does not count for it, and none of it can start earlier.
    if (at + term.size() <= line.data() + line.size()) {
      long long p = findTerm(line, term, false);
      if (p >= 0) tryCandidate(index, p);
    }
    ++index;
    from = haveElement(index) ? LineList[index].data() : textEnd;
  }
}

// The elements that hold the characters the binary test looks at; the first character
// decides when `binaryTestChars` is below 1.
std::span<const std::string_view> testedElements() {
  long long held = 0;
  long long wanted = Settings.binaryTestChars > 1 ? Settings.binaryTestChars : 1;
  for (std::size_t index = 0; held < wanted && haveElement(index); ++index) {
    held += static_cast<long long>(LineList[index].size());
  }
  return std::span<const std::string_view>(LineList.begin(), LineList.end());
}

// Bytes read at a time while a file is only looked through for its first term: few enough to
// stay in the processor's cache while they are searched.
constexpr std::size_t kLookThroughRead = 1 << 18;

// Bytes kept from the start of a file while it is looked through; beyond them only the tail
// that an occurrence could start in is kept, and the file is read again from its start once
// an occurrence turns up.
constexpr std::size_t kLookThroughKeep = 1 << 20;

// Reads `file` whole into `FileText` when its raw bytes may hold the first term (or bytes that
// text mode changes); returns false, with `FileText` empty, when they cannot.
bool readWhenCandidate(OpenFile& file) {
  const std::size_t termLength = Expression.firstTerm.size();
  TermSearcher searcher = prepareTerm(Expression.firstTerm, Settings.ignoreCase);
  const std::size_t step = kLookThroughRead > 2 * termLength ? kLookThroughRead : 2 * termLength;
  std::size_t searchedTo = 0;  // occurrences starting before this have been looked for
  bool dropped = false;
  FileText.size = 0;
  if (!file.ahead.empty() || file.aheadIsWhole) {
    // The bytes read with the open are looked through where they lie; most files end there.
    if (searchRawBytes(searcher, file.ahead) >= 0) {
      readWholeFile(file, FileText);
      return true;
    }
    if (file.aheadIsWhole) return false;
    appendAhead(file, FileText);
    searchedTo = FileText.size - std::min(termLength - 1, FileText.size);
  }
  for (;;) {
    reserveBytes(FileText, FileText.size + step);
    long long got = readSomeBytes(file, FileText.data.get() + FileText.size, step);
    if (got <= 0) break;
    FileText.size += static_cast<std::size_t>(got);
    bool atEnd = static_cast<std::size_t>(got) < step;  // a short read of a file is its end
    std::string_view fresh(FileText.data.get() + searchedTo, FileText.size - searchedTo);
    if (searchRawBytes(searcher, fresh) >= 0) {
      if (dropped) {
        FileText.size = 0;
        if (!rewindFile(file)) return false;
        atEnd = false;
      }
      if (!atEnd) readRestBytes(file, FileText);
      return true;
    }
    if (atEnd) break;
    // An occurrence may still start in the last termLength - 1 bytes and end in the next read.
    std::size_t tail = termLength - 1 < FileText.size ? termLength - 1 : FileText.size;
    searchedTo = FileText.size - tail;
    if (FileText.size >= kLookThroughKeep) {
      std::memmove(FileText.data.get(), FileText.data.get() + searchedTo, tail);
      FileText.size = tail;
      searchedTo = 0;
      dropped = true;
    }
  }
  FileText.size = 0;
  return false;
}

}  // namespace

const std::string& currentPath() {
  if (pathPending) {
    pathPending = false;
    if (!fullPath(pendingPath, CurrentPath)) CurrentPath = pendingPath;
  }
  return CurrentPath;
}

bool looksBinary(std::span<const std::string_view> lines) {
  long long controls = 0;
  long long tested = 0;
  for (std::string_view line : lines) {
    for (char c : line) {
      unsigned char u = static_cast<unsigned char>(c);
      if (u < 32 && u != '\t' && u != '\n') ++controls;
      if (++tested >= Settings.binaryTestChars) return controls >= Settings.binaryThreshold;
    }
  }
  return false;
}

void scanLines() {
  if (!Expression.firstTerm.empty()) {
    scanForFirstTerm();
    return;
  }
  // An empty first term makes every element a candidate, centred at its middle; where that
  // fails, the empty term's own place in the element (if `findTerm` finds one) is tried once.
  for (std::size_t index = 0; haveElement(index); ++index) {
    std::string_view line = LineList[index];
    if (tryCandidate(index, static_cast<long long>(line.size() / 2))) continue;
    long long p = findTerm(line, Expression.firstTerm, false);
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
  if (!openForReading(path, file)) {
    if (Settings.verboseErrors)
      diagnostic("skern:skern():couldn't open \"%s\"\n", currentPath().c_str());
    return;
  }
  openedStep();
  HeaderShown = false;
  LineList.clear();
  bool binaryTest = Settings.binaryThreshold != 0 && Settings.binaryTestChars != 0;
  // Most files do not hold the first term at all; that is told from their raw bytes as they
  // are read, without holding them whole or preparing their text.
  bool whole = true;
  if (!binaryTest && !Expression.firstTerm.empty()) {
    whole = readWhenCandidate(file);
  } else {
    FileText.size = 0;
    readWholeFile(file, FileText);
  }
  closeFile(file);
  startLines();
  if (!whole) return;
  if (binaryTest && looksBinary(testedElements())) {
    if (Settings.verboseErrors)
      diagnostic("skern:skern():binary skipped \"%s\"\n", currentPath().c_str());
    return;
  }
  scanLines();
}
