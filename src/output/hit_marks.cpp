#include "output/hit_marks.h"

#include <algorithm>
#include <functional>

#include "expr/term_match.h"

std::size_t firstTermAt(const PreparedExpression& expression, std::string_view line,
                        std::string_view shown) {
  if (expression.firstTerm.term.empty()) return kNotShown;
  // The part of the line that is shown: where the window is a stretch of the same text, the
  // part they share; where it was copied, the line's text within it, else all of it.
  std::size_t lineAt = 0;
  std::string_view part = shown;
  const std::less<const char*> before;
  const char* lineEnd = line.data() + line.size();
  const char* shownEnd = shown.data() + shown.size();
  if (!before(lineEnd, shown.data()) && !before(shownEnd, line.data())) {
    const char* begin = std::max(line.data(), shown.data(), before);
    const char* end = std::min(lineEnd, shownEnd, before);
    lineAt = static_cast<std::size_t>(begin - shown.data());
    part = shown.substr(lineAt, static_cast<std::size_t>(end - begin));
  } else if (std::size_t at = shown.find(line); at != std::string_view::npos) {
    lineAt = at;
    part = shown.substr(at, line.size());
  }
  long long found = findTerm(expression.firstTerm, part, expression.wholeWords, false);
  return found < 0 ? kNotShown : lineAt + static_cast<std::size_t>(found);
}

std::vector<TextMark> hitMarks(const PreparedExpression& expression, std::string_view shown,
                               std::size_t firstAt) {
  std::vector<TextMark> marks;
  if (firstAt != kNotShown) {
    marks.push_back({firstAt, firstAt + expression.firstTerm.term.size()});
  }
  for (const std::vector<TermSearcher>& group : expression.groups) {
    for (const TermSearcher& alternative : group) {
      for (std::size_t from = 0;;) {
        long long found = findTerm(alternative, shown, expression.wholeWords, false, from);
        if (found < 0) break;
        const std::size_t at = static_cast<std::size_t>(found);
        marks.push_back({at, at + alternative.term.size()});
        from = at + 1;
      }
    }
  }
  std::sort(marks.begin(), marks.end(),
            [](const TextMark& a, const TextMark& b) { return a.begin < b.begin; });
  std::vector<TextMark> joined;
  for (const TextMark& mark : marks) {
    if (!joined.empty() && mark.begin <= joined.back().end) {
      joined.back().end = std::max(joined.back().end, mark.end);
    } else {
      joined.push_back(mark);
    }
  }
  return joined;
}
