// The windows around candidate elements in which the further terms of a hit are looked for.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "expr/hit_eval.h"
#include "expr/offset_queue.h"
#include "expr/window_search.h"
#include "files/line_list.h"
#include "files/window_reach.h"

/// The windows around the candidates of one text, asked for in the order the scan meets them.
/// The elements they cover make one stretch, each appended once, in which each further term's
/// occurrences are found once, so that a candidate costs the same whatever the window's width.
/// The stretch is searched where the text holds it, and copied only while elements cut short
/// by a NUL leave gaps in it. A window covers up to `reach.lines` elements on either side of
/// its candidate, or up to `reach.bytes` bytes before the centre and after the first term
/// there, across elements.
class CandidateWindows {
 public:
  /// Windows of `reach` (which must reach somewhere) for the groups of `expression`, whose
  /// terms must outlive this.
  CandidateWindows(const PreparedExpression& expression, const WindowReach& reach);

  /// Begins a new text: nothing of the last one joins a window.
  void start();
  /// Forgets the text and gives the memory back.
  void release();

  /// True when every group has an alternative in the window around element `index` of
  /// `lines`, whose first term stands at `centre` (or whose middle `centre` is); `window` is
  /// then the window's text, valid until `lines` reads on. Reads on in `lines` as far as the
  /// window reaches. Candidates come in the order of their elements.
  bool evaluate(LineList& lines, std::size_t index, std::size_t centre, std::string_view& window);

 private:
  void restartAt(std::size_t element);
  bool appendNext(LineList& lines);
  void dropBefore(StretchOffset at);
  StretchText heldText(const LineList& lines);
  StretchOffset startOf(std::size_t element) const { return starts_[element - startsFirst_]; }

  WindowSearch search_;
  WindowReach reach_;
  std::size_t termLength_;  // the first term's, which a window of bytes reaches beyond
  bool trimmed_;            // a window's first and last bytes are only a word's neighbours
  bool started_ = false;
  OffsetQueue starts_;  // where elements begin in the stretch, from `startsFirst_` on
  std::size_t startsFirst_ = 0;
  std::size_t appendedEnd_ = 0;  // the element after the last one appended
  StretchOffset end_ = 0;        // the stretch's end
  StretchOffset low_ = 0;        // no window begins before this
  TextOffset textEnd_ = 0;       // where the last element appended ends in the file's text
  StretchOffset lastGap_ = 0;    // the last place where an element does not follow the one
                                 // before it in the text; 0: none
  bool copying_ = false;         // the stretch is held in `copy_`, from `copyBase_` on
  std::string copy_;
  StretchOffset copyBase_ = 0;
};
