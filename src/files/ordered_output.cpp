#include "files/ordered_output.h"

OrderedOutput::OrderedOutput(OutputStreams& streams, OutputTurn& turn, std::uint64_t unit,
                             std::atomic<std::size_t>& threadHeld, std::size_t cap)
    : out_(streams, true), turn_(&turn), unit_(unit), threadHeld_(&threadHeld), cap_(cap) {}

void OrderedOutput::hit(std::uint64_t element, std::string_view line, std::string_view window) {
  const bool held = !due();
  out_.hit(element, line, window);
  if (held) counted();
}

void OrderedOutput::message(MessageLevel, std::string_view text) {
  message(text);
}

void OrderedOutput::message(std::string_view text) {
  const bool held = !due();
  out_.message(text);
  if (held) counted();
}

void OrderedOutput::progressStep() {
  const bool held = !due();
  out_.progressStep();
  if (held) counted();
}

void OrderedOutput::endUnit(std::uint64_t elements, bool ended) {
  const bool held = !due();
  out_.endUnit(elements, ended);
  if (held) counted();
}

void OrderedOutput::flush() {
  if (due()) out_.flush();
}

void OrderedOutput::writeHeld() {
  out_.writeHeld();
  threadHeld_->fetch_sub(counted_, std::memory_order_relaxed);
  counted_ = 0;
}

// Whether the unit's turn has come; once it has, what was held is written first.
bool OrderedOutput::due() {
  if (!out_.held()) return true;
  if (!turn_->isDue(unit_)) return false;
  writeHeld();
  return true;
}

// Counts what the last event held against the thread's share. The thread that holds enough
// goes on once the earlier units are written, or holds on past its share where no thread
// could write them meanwhile.
void OrderedOutput::counted() {
  const std::size_t added = out_.heldBytes() - counted_;
  counted_ += added;
  if (threadHeld_->fetch_add(added, std::memory_order_relaxed) + added > cap_ &&
      turn_->waitFor(unit_)) {
    writeHeld();
  }
}
