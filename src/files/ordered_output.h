// The output of the units of a search on several threads, in walk order: each unit's output is
// held until every earlier unit's has been written, then written straight through, so that
// what reaches the streams is what one thread writes. A thread that holds more than its share
// waits for its unit's turn, where waiting cannot last for ever.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "output/file_output.h"
#include "output/scan_sink.h"

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

/// The output of one unit, held until `turn` reaches it.
class OrderedOutput : public ScanSink {
 public:
  /// Output of unit `unit`. `threadHeld` counts what the thread holds in all; beyond `cap`
  /// bytes the thread waits for the unit's turn where `turn` lets it.
  OrderedOutput(OutputStreams& streams, OutputTurn& turn, std::uint64_t unit,
                std::atomic<std::size_t>& threadHeld, std::size_t cap);
  OrderedOutput(OrderedOutput&&) = default;
  OrderedOutput& operator=(OrderedOutput&&) = default;

  FileTally& tally() override { return out_.tally(); }
  void hit(std::uint64_t element, std::string_view line, std::string_view window) override;
  void message(MessageLevel level, std::string_view text) override;
  /// A message of the walk, formatted.
  void message(std::string_view text);
  void progressStep() override;
  void endUnit(std::uint64_t elements, bool ended) override;
  void flush() override;

  /// Makes the tally one that later units of the same file can share, and returns it.
  std::shared_ptr<FileTally> shareTally() { return out_.shareTally(); }
  /// Shows the file of `tally`, shared with earlier units.
  void useTally(std::shared_ptr<FileTally> tally) { out_.useTally(std::move(tally)); }
  /// The unit this output belongs to.
  std::uint64_t unit() const { return unit_; }
  /// Writes what is held; the unit's turn has come.
  void writeHeld();

 private:
  bool due();
  void counted();

  FileOutput out_;
  OutputTurn* turn_;
  std::uint64_t unit_;
  std::atomic<std::size_t>* threadHeld_;
  std::size_t cap_;
  std::size_t counted_ = 0;  // bytes of `out_`'s held in `threadHeld_`
};
