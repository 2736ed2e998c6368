// What one unit of a search writes, in order: a file's (or a piece of a file's) messages,
// progress and hits, or a message of the walk. Units are numbered in walk order; with several
// threads a unit's output is held until every earlier unit's has been written, then written
// straight through, so that what reaches the streams is what one thread writes.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "expr/hit_eval.h"
#include "output/file_tally.h"
#include "output/hit_display.h"
#include "output/hit_marks.h"

/// The streams of one search, how hits look, and what the units written so far have shown;
/// used only by the unit whose turn it is.
struct OutputStreams {
  FILE* hitStream = stdout;         ///< Where headers and hits go.
  FILE* diagnosticStream = stderr;  ///< Where messages and the progress count go.
  DisplayOptions display;           ///< How hits look.
  bool holdHits = false;            ///< Write hits in large blocks, not each as it is found.
  long long progressCount = 0;      ///< Files opened so far while the count is on.
  bool hitShown = false;            ///< Some unit has written a hit.
  /// The expression whose terms are highlighted in the hits, where they are in colour.
  const PreparedExpression* marked = nullptr;
  bool hitsOnTerminal = false;       ///< The hits go to a terminal.
  bool progressOnTerminal = false;   ///< The diagnostic stream is a terminal.
  std::size_t progressStanding = 0;  ///< Characters of the count left on that terminal.
};

/// Wipes the progress count from the terminal it stands on, if it stands there.
void clearProgress(OutputStreams& streams);

/// Which unit's output is written now: what orders the units tells their output.
class OutputTurn {
 public:
  virtual ~OutputTurn() = default;
  /// True when it is the turn of `unit`.
  virtual bool isDue(std::uint64_t unit) const = 0;
  /// Waits until it is the turn of `unit`, or until waiting on could last for ever; true when
  /// the turn has come.
  virtual bool waitFor(std::uint64_t unit) = 0;
};

/// The output of one unit.
class FileOutput {
 public:
  /// Output written at once: every unit is due when it runs.
  explicit FileOutput(OutputStreams& streams) : streams_(&streams) {}
  /// Output of unit `unit`, held until `turn` reaches it; `next` is the unit after it.
  /// `threadHeld` counts what the thread holds in all; beyond `cap` bytes the thread waits for
  /// the unit's turn where `turn` lets it.
  FileOutput(OutputStreams& streams, OutputTurn& turn, std::uint64_t unit, std::uint64_t next,
             std::atomic<std::size_t>& threadHeld, std::size_t cap);
  FileOutput(FileOutput&&) = default;
  FileOutput& operator=(FileOutput&&) = default;

  /// The file this output shows.
  FileTally& tally() { return shared_ ? *shared_ : own_; }
  /// Makes the tally one that later units of the same file can share, and returns it.
  std::shared_ptr<FileTally> shareTally();
  /// Shows the file of `tally`, shared with earlier units.
  void useTally(std::shared_ptr<FileTally> tally) { shared_ = std::move(tally); }

  /// A hit: element `element` of the unit, counted from its first, whose line is `line` and
  /// whose window is `window`. The file's header comes before its first hit.
  void hit(std::uint64_t element, std::string_view line, std::string_view window);
  /// One message for the diagnostic stream, formatted.
  void message(std::string_view text);
  /// One more file opened for the progress count, which shows itself every 256 files.
  void progressStep();
  /// Ends the unit: it held `elements` elements, and its text ended (or the file was given
  /// up) when `ended`; whatever later units of the file show is then dropped.
  void endUnit(std::uint64_t elements, bool ended);
  /// Writes the hits formatted and not yet written, where the unit's turn has come.
  void flush();

  /// The unit this output belongs to.
  std::uint64_t unit() const { return unit_; }
  /// The unit whose turn comes after this one's.
  std::uint64_t next() const { return next_; }
  /// Sets the unit whose turn comes after this one's.
  void setNext(std::uint64_t next) { next_ = next; }
  /// Writes what is held; the unit's turn has come.
  void writeHeld();

 private:
  enum class Kind { kHit, kMessage, kProgress, kEnd };
  struct Event {
    Kind kind;
    std::uint64_t number = 0;  // kHit: the element; kEnd: the elements
    bool ended = false;        // kEnd
    std::size_t textSize = 0;  // its text's bytes, which follow the earlier events' in `text_`
    std::size_t firstAt = kNotShown;  // kHit: where its first term stands, when marked
  };

  void add(Kind kind, std::uint64_t number, bool ended, std::string_view text);
  bool direct();
  void hold(Kind kind, std::uint64_t number, bool ended, std::string_view text,
            std::size_t firstAt = kNotShown);
  void write(Kind kind, std::uint64_t number, bool ended, std::string_view text,
             std::size_t firstAt = kNotShown);

  OutputStreams* streams_;
  OutputTurn* turn_ = nullptr;
  std::uint64_t unit_ = 0;
  std::uint64_t next_ = 1;
  std::atomic<std::size_t>* threadHeld_ = nullptr;
  std::size_t cap_ = 0;
  bool direct_ = true;
  std::size_t heldBytes_ = 0;
  std::vector<Event> held_;
  std::string heldText_;  // the texts of the events held, one after the other
  std::string block_;     // hits formatted, not yet written
  FileTally own_;
  std::shared_ptr<FileTally> shared_;
};
