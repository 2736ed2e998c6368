#include "files/file_scan.h"

#include <algorithm>

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

// The elements that hold the characters the binary test looks at.
const std::vector<std::string_view>& testedElements() {
  long long held = 0;
  for (std::size_t index = 0; held < Settings.binaryTestChars && haveElement(index); ++index) {
    held += static_cast<long long>(LineList[index].size());
  }
  return LineList;
}

}  // namespace

bool looksBinary(const std::vector<std::string_view>& lines) {
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
  if (!fullPath(path, CurrentPath)) CurrentPath = path;
  if (extensionSkipped(path, Settings.skipExtensions)) {
    if (Settings.verboseErrors)
      diagnostic("skern:skern():extension skipped \"%s\"\n", CurrentPath.c_str());
    return;
  }
  OpenFile file;
  if (!openForReading(path, file)) {
    if (Settings.verboseErrors)
      diagnostic("skern:skern():couldn't open \"%s\"\n", CurrentPath.c_str());
    return;
  }
  openedStep();
  HeaderShown = false;
  LineList.clear();
  readAllBytes(file, FileText);
  closeFile(file);
  bool binaryTest = Settings.binaryThreshold != 0 && Settings.binaryTestChars != 0;
  if (!binaryTest && !Expression.firstTerm.empty()) {
    // Most files do not hold the first term at all; that is told from the raw bytes, without
    // preparing their text.
    TermSearcher searcher = prepareTerm(Expression.firstTerm, Settings.ignoreCase);
    if (searchRawBytes(searcher, std::string_view(FileText.data.get(), FileText.size)) < 0) {
      FileText.size = 0;
      startLines();
      return;
    }
  }
  startLines();
  if (binaryTest && looksBinary(testedElements())) {
    if (Settings.verboseErrors)
      diagnostic("skern:skern():binary skipped \"%s\"\n", CurrentPath.c_str());
    return;
  }
  scanLines();
}
