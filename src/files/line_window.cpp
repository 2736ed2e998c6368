#include "files/line_window.h"

#include <algorithm>

namespace {

// A window made of a part of element `first` from `firstFrom` on, the whole elements between,
// and element `last` up to `lastTo`. Where the elements follow each other without a gap in
// the file's text, the window is that stretch of text itself; otherwise it is copied.
std::string_view windowOf(const LineList& lines, std::size_t first, std::size_t firstFrom,
                          std::size_t last, std::size_t lastTo, std::string& joined) {
  const char* begin = lines[first].data() + firstFrom;
  const char* end = lines[last].data() + lastTo;
  bool contiguous = true;
  for (std::size_t i = first; i < last && contiguous; ++i) {
    contiguous = lines[i].data() + lines[i].size() == lines[i + 1].data();
  }
  if (contiguous) return std::string_view(begin, static_cast<std::size_t>(end - begin));
  joined.clear();
  if (first == last) {
    joined.assign(begin, end);
  } else {
    joined.append(lines[first].substr(firstFrom));
    for (std::size_t i = first + 1; i < last; ++i) joined.append(lines[i]);
    joined.append(lines[last].substr(0, lastTo));
  }
  return joined;
}

}  // namespace

std::string_view characterWindow(LineList& lines, std::size_t index, std::size_t centre,
                                 std::size_t termLength, std::size_t reach, std::string& joined) {
  std::size_t first = index;
  std::size_t firstFrom = 0;
  std::size_t before = centre;
  while (before < reach && first > lines.first()) before += lines[--first].size();
  if (before > reach) firstFrom = before - reach;
  std::size_t lineLength = lines[index].size();
  std::size_t last = index;
  std::size_t after = lineLength - (termLength + centre);
  while (after < reach && lines.haveElement(last + 1)) after += lines[++last].size();
  std::size_t lastTo = lines[last].size();
  if (after > reach) lastTo -= after - reach;
  return windowOf(lines, first, firstFrom, last, lastTo, joined);
}

std::string_view lineWindow(LineList& lines, std::size_t index, std::size_t reach,
                            std::string& joined) {
  std::size_t first = index - std::min(index - lines.first(), reach);
  std::size_t last = index + reach;
  if (!lines.haveElement(last)) last = lines.size() - 1;
  return windowOf(lines, first, 0, last, lines[last].size(), joined);
}
