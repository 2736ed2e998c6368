// What the walk hands its files and messages to, in walk order.
#pragma once

#include <string_view>
#include <vector>

#include "files/file_scan.h"

class ScanQueue;

/// Takes what the walk finds, in walk order: the queue that scans it, or a test's record.
class WalkSink {
 public:
  virtual ~WalkSink() = default;
  /// Takes the files of one listing, in order.
  virtual void addFiles(std::vector<FileToScan> files) = 0;
  /// Takes a message of the walk, to come after everything taken before it.
  virtual void addMessage(std::string_view text) = 0;
};

/// Hands what the walk finds to a queue, to be scanned and written in walk order.
class QueueWalkSink final : public WalkSink {
 public:
  /// A sink into `queue`, which must outlive it.
  explicit QueueWalkSink(ScanQueue& queue) : queue_(queue) {}
  /// Adds `files` to the queue.
  void addFiles(std::vector<FileToScan> files) override;
  /// Adds the message `text` to the queue.
  void addMessage(std::string_view text) override;

 private:
  ScanQueue& queue_;
};
