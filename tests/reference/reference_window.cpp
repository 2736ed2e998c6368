#include "reference/reference_window.h"

#include <iterator>

#include "reference/reference_match.h"

namespace reference {

bool evaluateHit(const std::list<std::string>& lines,
                 std::list<std::string>::const_iterator current, long long centre,
                 std::string& window, const Expression& expression, const Settings& settings) {
  window = *current;
  if (expression.groups.empty()) return true;
  std::string w = *current;
  bool trimmed = false;
  // A negative character window is taken as none.
  long long reach = settings.charWindow > 0 ? settings.charWindow : 0;
  if (reach != 0) {
    long long before = centre;
    long long after = static_cast<long long>(current->size()) -
                      (static_cast<long long>(expression.firstTerm.size()) + centre);
    trimmed = settings.wholeWords;
    auto position = current;
    while (before < reach && position != lines.begin()) {
      --position;
      w = *position + w;
      before += static_cast<long long>(position->size());
    }
    position = current;
    while (after < reach) {
      auto next = std::next(position);
      if (next == lines.end()) break;
      position = next;
      w = w + *position;
      after += static_cast<long long>(position->size());
    }
    if (before > reach) w.erase(0, static_cast<std::size_t>(before - reach));
    if (after > reach) w.erase(w.size() - static_cast<std::size_t>(after - reach));
  } else {
    long long count = settings.lineWindow;
    auto position = current;
    for (long long i = 0; i < count; ++i) {
      auto next = std::next(position);
      if (next == lines.end()) break;
      position = next;
      w = w + *position;
    }
    position = current;
    for (long long i = 0; i < count; ++i) {
      if (position == lines.begin()) break;
      --position;
      w = *position + w;
    }
  }
  for (const std::vector<std::string>& group : expression.groups) {
    bool found = false;
    for (const std::string& alternative : group) {
      if (findTerm(w, alternative, trimmed, settings.ignoreCase, settings.wholeWords) >= 0) {
        found = true;
        break;
      }
    }
    if (!found) return false;
  }
  window = w;
  return true;
}

}  // namespace reference
