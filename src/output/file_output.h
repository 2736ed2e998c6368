// What one unit of a search writes, in order: a file's (or a piece of a file's) messages,
// progress and hits, or a message of the walk, formatted for the streams at once or held to be
// written later. Which unit writes when is decided elsewhere; this knows one unit only.
#pragma once

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
#include "output/scan_sink.h"

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

/// The output of one unit, on the thread that scans it.
class FileOutput : public ScanSink {
 public:
  /// Output for `streams`: written at once, or held until `writeHeld` when `held`.
  explicit FileOutput(OutputStreams& streams, bool held = false)
      : streams_(&streams), held_(held) {}
  FileOutput(FileOutput&&) = default;
  FileOutput& operator=(FileOutput&&) = default;

  FileTally& tally() override { return shared_ ? *shared_ : own_; }
  /// Makes the tally one that later units of the same file can share, and returns it.
  std::shared_ptr<FileTally> shareTally();
  /// Shows the file of `tally`, shared with earlier units.
  void useTally(std::shared_ptr<FileTally> tally) { shared_ = std::move(tally); }

  /// A hit, formatted with the file's header before its first.
  void hit(std::uint64_t element, std::string_view line, std::string_view window) override;
  void message(MessageLevel level, std::string_view text) override;
  /// A message for the diagnostic stream, formatted.
  void message(std::string_view text);
  /// One more file opened; the count shows itself every 256 files.
  void progressStep() override;
  void endUnit(std::uint64_t elements, bool ended) override;
  /// Writes the hits formatted and not yet written, unless the output is held.
  void flush() override;

  /// Whether events are held rather than written.
  bool held() const { return held_; }
  /// Bytes of memory that what is held takes.
  std::size_t heldBytes() const { return heldBytes_; }
  /// Writes what is held, and from now on every event at once.
  void writeHeld();

 private:
  // kCuteHit: a hit held in the cute form that `cuteText` makes, its line ends already bars;
  // kShownHit: a hit held formatted, as it is written.
  enum class Kind { kHit, kCuteHit, kShownHit, kMessage, kProgress, kEnd };
  struct Event {
    Kind kind;
    std::uint64_t number = 0;  // a hit's element; kEnd: the elements
    bool ended = false;        // kEnd
    std::size_t textSize = 0;  // its text's bytes, which follow the earlier events' in `text_`
    std::size_t firstAt = kNotShown;  // kHit: where its first term stands, when marked
    bool byCharacter = false;         // kCuteHit: wrapped by the columns of its characters
  };

  void add(Kind kind, std::uint64_t number, bool ended, std::string_view text);
  void holdCuteHit(std::uint64_t element, std::string_view shown);
  void hold(const Event& event, std::string_view text);
  void holdAppended(const Event& event);
  void write(const Event& event, std::string_view text);

  OutputStreams* streams_;
  bool held_ = false;
  std::size_t heldBytes_ = 0;
  std::vector<Event> events_;  // held
  std::string heldText_;       // the texts of the events held, one after the other
  std::string block_;          // hits formatted, not yet written
  FileTally own_;
  std::shared_ptr<FileTally> shared_;
};
