#include "files/candidate_windows.h"

#include <algorithm>

namespace {

// A copy lets go of the text before its windows once there is at least this much of it, and
// at least as much as is still held: each byte is moved a bounded number of times.
constexpr std::size_t kLeastDropped = std::size_t{1} << 16;

}  // namespace

CandidateWindows::CandidateWindows(const PreparedExpression& expression, const WindowReach& reach)
    : search_(expression),
      reach_(reach),
      termLength_(expression.firstTerm.term.size()),
      trimmed_(expression.wholeWords && reach.lines == 0) {}

void CandidateWindows::start() {
  started_ = false;
}

void CandidateWindows::release() {
  started_ = false;
  search_.release();
  starts_.release();
  copy_ = std::string();
  copying_ = false;
}

// Begins the stretch anew at `element`: no window reaches the elements appended so far.
void CandidateWindows::restartAt(std::size_t element) {
  search_.restart();
  starts_.clear();
  startsFirst_ = element;
  appendedEnd_ = element;
  end_ = 0;
  low_ = 0;
  lastGap_ = 0;
  copying_ = false;
  copy_.clear();
  started_ = true;
}

// Appends the next element to the stretch; false when the text has no more.
bool CandidateWindows::appendNext(LineList& lines) {
  if (!lines.haveElement(appendedEnd_)) return false;
  std::string_view element = lines[appendedEnd_];
  TextOffset at = lines.offsetOf(element.data());
  if (end_ > 0 && at != textEnd_) lastGap_ = end_;
  if (copying_) copy_.append(element);
  starts_.push_back(end_);
  end_ += element.size();
  textEnd_ = at + element.size();
  ++appendedEnd_;
  return true;
}

// Says that no later window begins before `at`.
void CandidateWindows::dropBefore(StretchOffset at) {
  low_ = std::max(low_, std::min(at, end_));
  // The starts from the first element that may hold a window's first byte on are kept: the
  // one that holds `low_`, or the first of those that begin there.
  std::size_t gone = 0;
  while (gone + 1 < starts_.size() &&
         (starts_[gone + 1] < low_ || (starts_[gone + 1] == low_ && starts_[gone] < low_))) {
    ++gone;
  }
  starts_.drop(gone);
  startsFirst_ += gone;
  search_.dropBefore(low_);
  std::size_t dead = static_cast<std::size_t>(low_ - copyBase_);
  if (copying_ && dead >= kLeastDropped && dead >= copy_.size() - dead) {
    copy_.erase(0, dead);
    copyBase_ = low_;
  }
}

// The stretch from `low_` (or before) to its end: the text itself where its elements follow
// each other in it, else a copy.
StretchText CandidateWindows::heldText(const LineList& lines) {
  if (copying_ && lastGap_ <= low_) {
    copying_ = false;
    copy_.clear();
  }
  if (copying_) return StretchText{copy_, copyBase_};
  // The element that holds `low_`: the last that begins there or before (after those that
  // NULs left empty).
  std::size_t first = startsFirst_;
  if (starts_.size() > 1 && starts_[1] <= low_) {
    first += static_cast<std::size_t>(std::upper_bound(starts_.begin(), starts_.end(), low_) -
                                      starts_.begin()) -
             1;
  }
  const char* from = lines[first].data() + (low_ - startOf(first));
  if (lastGap_ <= low_) {
    return StretchText{std::string_view(from, static_cast<std::size_t>(end_ - low_)), low_};
  }
  // A gap has come into the windows' reach.
  copy_.assign(from, lines[first].data() + lines[first].size());
  for (std::size_t element = first + 1; element < appendedEnd_; ++element) {
    copy_.append(lines[element]);
  }
  copyBase_ = low_;
  copying_ = true;
  return StretchText{copy_, copyBase_};
}

bool CandidateWindows::evaluate(LineList& lines, std::size_t index, std::size_t centre,
                                std::string_view& window) {
  StretchOffset from = 0;
  StretchOffset to = 0;
  if (reach_.lines > 0) {
    // Whole elements: up to `reach_.lines` before the candidate and after it.
    std::size_t first = index - std::min(index - lines.first(), reach_.lines);
    if (!started_ || appendedEnd_ < first) restartAt(first);
    while (appendedEnd_ <= first) appendNext(lines);
    from = startOf(first);
    dropBefore(from);
    std::size_t last = index + reach_.lines;
    if (!lines.haveElement(last)) last = lines.size() - 1;
    while (appendedEnd_ <= last) appendNext(lines);
    to = last + 1 < appendedEnd_ ? startOf(last + 1) : end_;
  } else {
    // Bytes around the first term, across elements. The elements held reach back as far as
    // such a window does, but at the text's start.
    if (!started_ || appendedEnd_ < lines.first()) restartAt(lines.first());
    while (appendedEnd_ <= index) appendNext(lines);
    const StretchOffset reach = reach_.bytes;
    StretchOffset lineStart = startOf(index);
    // A later candidate's centre lies in this element or after it.
    dropBefore(lineStart > reach ? lineStart - reach : 0);
    StretchOffset at = lineStart + centre;
    from = at > reach ? at - reach : 0;
    StretchOffset wanted = at + termLength_ + reach;
    while (end_ < wanted && appendNext(lines)) {
    }
    to = std::min(wanted, end_);
  }
  StretchText text = heldText(lines);
  if (!search_.holds(text, from, to, trimmed_)) return false;
  window = text.bytes.substr(static_cast<std::size_t>(from - text.from),
                             static_cast<std::size_t>(to - from));
  return true;
}
