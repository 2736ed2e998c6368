#include "files/walk_sink.h"

#include "files/scan_queue.h"

void QueueWalkSink::addFiles(std::vector<FileToScan> files) {
  queue_.addFiles(std::move(files));
}

void QueueWalkSink::addMessage(std::string_view text) {
  queue_.addMessage(text);
}
