#include "output/file_output.h"

#include "output/diagnostics.h"
#include "output/standard_output.h"

void OutputTurn::waitFor(std::uint64_t step) {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [&] { return isDue(step); });
}

void OutputTurn::passTo(std::uint64_t step) {
  due_.store(step, std::memory_order_release);
  changed_.notify_all();
}

FileOutput::FileOutput(OutputStreams& streams, OutputTurn& turn, std::uint64_t step,
                       std::atomic<std::size_t>& threadHeld, std::size_t cap)
    : streams_(&streams),
      turn_(&turn),
      step_(step),
      threadHeld_(&threadHeld),
      cap_(cap),
      direct_(false) {}

void FileOutput::hits(std::string_view text) {
  add(Kind::kHits, text);
}

void FileOutput::message(std::string_view text) {
  add(Kind::kMessage, text);
}

void FileOutput::progressStep() {
  add(Kind::kProgress, {});
}

void FileOutput::writeHeld() {
  for (const Event& event : held_) write(event.kind, event.text);
  held_.clear();
  held_.shrink_to_fit();
  if (threadHeld_ != nullptr) threadHeld_->fetch_sub(heldBytes_, std::memory_order_relaxed);
  heldBytes_ = 0;
  direct_ = true;
}

// Writes the event when the step's turn has come, else holds it.
void FileOutput::add(Kind kind, std::string_view text) {
  if (direct()) {
    write(kind, text);
  } else {
    hold(kind, text);
  }
}

bool FileOutput::direct() {
  if (direct_) return true;
  if (!turn_->isDue(step_)) return false;
  writeHeld();
  return true;
}

void FileOutput::hold(Kind kind, std::string_view text) {
  if (kind == Kind::kHits && !held_.empty() && held_.back().kind == Kind::kHits) {
    held_.back().text += text;
  } else {
    held_.push_back(Event{kind, std::string(text)});
  }
  const std::size_t added = text.size() + sizeof(Event);
  heldBytes_ += added;
  if (threadHeld_->fetch_add(added, std::memory_order_relaxed) + added > cap_) {
    // The thread holds enough: it goes on once the earlier steps are written.
    turn_->waitFor(step_);
    writeHeld();
  }
}

void FileOutput::write(Kind kind, std::string_view text) {
  switch (kind) {
    case Kind::kHits:
      writeOutput(text);
      break;
    case Kind::kMessage:
      writeDiagnostic(streams_->diagnosticStream, text);
      break;
    case Kind::kProgress:
      if (++streams_->progressCount % 256 == 0) {
        writeDiagnostic(streams_->diagnosticStream,
                        formatMessage("skern:%lld\r", streams_->progressCount));
      }
      break;
  }
}
