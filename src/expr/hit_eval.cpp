#include "expr/hit_eval.h"

#include <algorithm>
#include <string>

#include "cmdline/settings.h"
#include "expr/expression.h"
#include "expr/term_match.h"
#include "files/line_list.h"

namespace {

// Holds a window that is not one stretch of the file's text (a NUL cut an element short).
std::string joinedWindow;

// A window made of a part of element `first` from `firstFrom` on, the whole elements between,
// and element `last` up to `lastTo`. Where the elements follow each other without a gap in
// the file's text, the window is that stretch of text itself; otherwise it is copied.
std::string_view windowOf(std::size_t first, std::size_t firstFrom, std::size_t last,
                          std::size_t lastTo) {
  const char* begin = LineList[first].data() + firstFrom;
  const char* end = LineList[last].data() + lastTo;
  bool contiguous = true;
  for (std::size_t i = first; i < last && contiguous; ++i) {
    contiguous = LineList[i].data() + LineList[i].size() == LineList[i + 1].data();
  }
  if (contiguous) return std::string_view(begin, static_cast<std::size_t>(end - begin));
  joinedWindow.clear();
  if (first == last) {
    joinedWindow.assign(begin, end);
  } else {
    joinedWindow.append(LineList[first].substr(firstFrom));
    for (std::size_t i = first + 1; i < last; ++i) joinedWindow.append(LineList[i]);
    joinedWindow.append(LineList[last].substr(0, lastTo));
  }
  return joinedWindow;
}

// The character window: up to `reach` bytes before `centre` and after the end of the first
// term's occurrence, taken across elements and stopping at the file's first and last bytes.
std::string_view characterWindow(std::size_t index, std::size_t centre, std::size_t reach) {
  std::size_t termLength = Expression.firstTerm.size();
  std::size_t first = index;
  std::size_t firstFrom = 0;
  std::size_t before = centre;
  while (before < reach && first > LineList.first()) before += LineList[--first].size();
  if (before > reach) firstFrom = before - reach;
  std::size_t lineLength = LineList[index].size();
  std::size_t last = index;
  std::size_t after = lineLength - (termLength + centre);
  while (after < reach && haveElement(last + 1)) after += LineList[++last].size();
  std::size_t lastTo = LineList[last].size();
  if (after > reach) lastTo -= after - reach;
  return windowOf(first, firstFrom, last, lastTo);
}

// The line window: up to `reach` elements on either side of element `index`.
std::string_view lineWindow(std::size_t index, std::size_t reach) {
  std::size_t first = index - std::min(index - LineList.first(), reach);
  std::size_t last = index + reach;
  if (!haveElement(last)) last = LineList.size() - 1;
  return windowOf(first, 0, last, LineList[last].size());
}

}  // namespace

bool evaluateHit(std::size_t index, long long centre, std::string_view& window) {
  window = LineList[index];
  if (Expression.groups.empty()) return true;
  std::string_view built = window;
  // Building a window may read on in the file and move the text held: views are taken anew.
  bool trimmed = false;
  if (Settings.charWindow > 0) {
    trimmed = Settings.wholeWords;
    built = characterWindow(index, static_cast<std::size_t>(centre),
                            static_cast<std::size_t>(Settings.charWindow));
  } else if (Settings.lineWindow > 0) {
    built = lineWindow(index, static_cast<std::size_t>(Settings.lineWindow));
  }
  for (const std::vector<std::string>& group : Expression.groups) {
    bool satisfied = false;
    for (const std::string& alternative : group) {
      if (findTerm(built, alternative, trimmed) >= 0) {
        satisfied = true;
        break;
      }
    }
    if (!satisfied) {
      window = LineList[index];
      return false;
    }
  }
  window = built;
  return true;
}
