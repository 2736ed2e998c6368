// A stand-in for a scan's output: the events a scan reports, in order, and what of them the
// output would show.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "output/scan_sink.h"

/// One event that a scan reported.
struct ScanEvent {
  /// What happened.
  enum class Kind { kHit, kMessage, kProgress, kEnd };
  Kind kind = Kind::kHit;                     ///< What happened.
  std::uint64_t number = 0;                   ///< kHit: the element; kEnd: the elements.
  bool ended = false;                         ///< kEnd: the text ended.
  MessageLevel level = MessageLevel::kError;  ///< kMessage: its level.
  std::string text = {};                      ///< kHit: the line; kMessage: the message.
  std::string window = {};                    ///< kHit: the window.
  /// True when both are the same event.
  bool operator==(const ScanEvent&) const = default;
};

/// Records every event of the units reported to it, one unit after the other.
class RecordingSink : public ScanSink {
 public:
  FileTally& tally() override { return tally_; }
  void hit(std::uint64_t element, std::string_view line, std::string_view window) override {
    events.push_back({.kind = ScanEvent::Kind::kHit,
                      .number = element,
                      .text = std::string(line),
                      .window = std::string(window)});
    brief += 'H';
  }
  void message(MessageLevel level, std::string_view text) override {
    events.push_back(
        {.kind = ScanEvent::Kind::kMessage, .level = level, .text = std::string(text)});
    brief += level == MessageLevel::kError ? 'E' : 'A';
  }
  void progressStep() override {
    events.push_back({.kind = ScanEvent::Kind::kProgress});
    brief += 'P';
  }
  void endUnit(std::uint64_t elements, bool ended) override {
    events.push_back({.kind = ScanEvent::Kind::kEnd, .number = elements, .ended = ended});
    brief += std::to_string(elements);
  }
  void flush() override {}

  std::vector<ScanEvent> events;  ///< In the order reported.
  /// The same in short: H a hit, E or A a message of level error or all, P a progress step,
  /// a unit's end as its elements.
  std::string brief;

 private:
  FileTally tally_;
};

/// The events as the output shows them, whether the file was scanned whole or in pieces:
/// nothing after a unit whose text ended, no ends of units, and hits numbered in the file
/// (by the elements of the units before theirs) where `numbered`, else all 0.
inline std::vector<ScanEvent> shownEvents(const std::vector<ScanEvent>& events, bool numbered) {
  std::vector<ScanEvent> shown;
  std::uint64_t before = 0;
  for (const ScanEvent& event : events) {
    if (event.kind == ScanEvent::Kind::kEnd) {
      if (event.ended) break;
      before += event.number;
      continue;
    }
    shown.push_back(event);
    if (event.kind == ScanEvent::Kind::kHit)
      shown.back().number = numbered ? before + event.number : 0;
  }
  return shown;
}
