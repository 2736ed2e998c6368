// What one step of a search writes, in order: a file's messages, progress and hits, or a
// message of the walk. Steps are numbered in walk order; with several threads a step's output
// is held until every earlier step's has been written, then written straight through, so that
// what reaches the streams is what one thread writes.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

/// The streams of one search and the progress count; used only by the step whose turn it is.
struct OutputStreams {
  FILE* diagnosticStream = stderr;  ///< Where messages and the progress count go.
  long long progressCount = 0;      ///< Files opened so far while the count is on.
};

/// Which step's output is written now, shared by the threads of one search.
class OutputTurn {
 public:
  /// True when it is the turn of `step`.
  bool isDue(std::uint64_t step) const { return due() == step; }
  /// The step whose output is written now.
  std::uint64_t due() const { return due_.load(std::memory_order_acquire); }
  /// Waits until it is the turn of `step`.
  void waitFor(std::uint64_t step);
  /// Passes the turn on to `step`; the caller holds `mutex()`.
  void passTo(std::uint64_t step);
  /// Guards the turn's changes (and whatever its owner keeps beside them).
  std::mutex& mutex() { return mutex_; }

 private:
  std::atomic<std::uint64_t> due_{0};
  std::mutex mutex_;
  std::condition_variable changed_;
};

/// The output of one step.
class FileOutput {
 public:
  /// Output written at once: every step is due when it runs.
  explicit FileOutput(OutputStreams& streams) : streams_(&streams) {}
  /// Output of step `step`, held until `turn` reaches it. `threadHeld` counts what the thread
  /// holds in all; beyond `cap` bytes the thread waits for the step's turn.
  FileOutput(OutputStreams& streams, OutputTurn& turn, std::uint64_t step,
             std::atomic<std::size_t>& threadHeld, std::size_t cap);

  /// Hits and headers, for standard output.
  void hits(std::string_view text);
  /// One message for the diagnostic stream, formatted.
  void message(std::string_view text);
  /// One more file opened for the progress count, which shows itself every 256 files.
  void progressStep();

  /// The step this output belongs to.
  std::uint64_t step() const { return step_; }
  /// Writes what is held; the step's turn has come.
  void writeHeld();

 private:
  enum class Kind { kHits, kMessage, kProgress };
  struct Event {
    Kind kind;
    std::string text;
  };

  void add(Kind kind, std::string_view text);
  bool direct();
  void hold(Kind kind, std::string_view text);
  void write(Kind kind, std::string_view text);

  OutputStreams* streams_;
  OutputTurn* turn_ = nullptr;
  std::uint64_t step_ = 0;
  std::atomic<std::size_t>* threadHeld_ = nullptr;
  std::size_t cap_ = 0;
  bool direct_ = true;
  std::size_t heldBytes_ = 0;
  std::vector<Event> held_;
};
