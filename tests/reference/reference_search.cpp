#include "reference/reference_search.h"

#include "reference/reference_display.h"
#include "reference/reference_match.h"
#include "reference/reference_reader.h"
#include "reference/reference_window.h"

namespace reference {

std::string searchFile(const std::string& bytes, const std::string& currentPath,
                       const Expression& expression, const Settings& settings) {
  std::string out;
  ReadResult read = readFile(bytes, settings);
  if (read.binary) return out;
  bool headerShown = false;
  long long lineNumber = 1;
  for (auto it = read.lines.cbegin(); it != read.lines.cend(); ++it, ++lineNumber) {
    std::string window;
    if (expression.firstTerm.empty()) {
      long long centre = static_cast<long long>(it->size() / 2);
      if (evaluateHit(read.lines, it, centre, window, expression, settings)) {
        showhit(lineNumber, *it, window, settings, headerShown, currentPath, out);
        continue;
      }
    }
    long long p =
        findTerm(*it, expression.firstTerm, false, settings.ignoreCase, settings.wholeWords);
    if (p < 0) continue;
    if (evaluateHit(read.lines, it, p, window, expression, settings)) {
      showhit(lineNumber, *it, window, settings, headerShown, currentPath, out);
    }
  }
  return out;
}

}  // namespace reference
