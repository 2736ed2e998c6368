#include "output/file_output.h"

#include <algorithm>

#include "output/diagnostics.h"
#include "output/standard_output.h"

namespace {

// Bytes of hits written at a time, where they are held.
constexpr std::size_t kHitBlock = std::size_t{1} << 16;

}  // namespace

std::shared_ptr<FileTally> FileOutput::shareTally() {
  if (!shared_) shared_ = std::make_shared<FileTally>(std::move(own_));
  return shared_;
}

void clearProgress(OutputStreams& streams) {
  if (streams.progressStanding == 0) return;
  std::string blank(streams.progressStanding + 2, ' ');
  blank.front() = blank.back() = '\r';
  streams.progressStanding = 0;
  writeDiagnostic(streams.diagnosticStream, blank);
}

void FileOutput::hit(std::uint64_t element, std::string_view line, std::string_view window) {
  std::string_view shown = streams_->display.showAll ? window : line;
  if (held_) tally().fullPath();  // formed while the path it is made from lives
  if (held_ && !streams_->marked) {
    // A hit held for later is formatted here, on the thread that found it, as far as its
    // line number allows: without one, its turn only copies its bytes; with one, only the
    // number and (in the cute form, whose wrapping depends on the number's width) the
    // wrapping are left for then.
    if (!streams_->display.lineNumbers) {
      const std::size_t from = heldText_.size();
      formatHit(streams_->display, 0, shown, {}, heldText_);
      holdAppended(Event{Kind::kShownHit, element, false, heldText_.size() - from});
      return;
    }
    if (streams_->display.cute) {
      holdCuteHit(element, shown);
      return;
    }
  }
  // Only hits in colour need to know where their first term stands.
  std::size_t firstAt = streams_->marked ? firstTermAt(*streams_->marked, line, shown) : kNotShown;
  Event event{Kind::kHit, element, false, shown.size(), firstAt};
  if (held_) {
    hold(event, shown);
  } else {
    write(event, shown);
  }
}

void FileOutput::message(MessageLevel, std::string_view text) {
  message(text);
}

void FileOutput::message(std::string_view text) {
  add(Kind::kMessage, 0, false, text);
}

void FileOutput::progressStep() {
  add(Kind::kProgress, 0, false, {});
}

void FileOutput::endUnit(std::uint64_t elements, bool ended) {
  add(Kind::kEnd, elements, ended, {});
}

void FileOutput::flush() {
  if (block_.empty()) return;
  if (streams_->hitsOnTerminal) clearProgress(*streams_);
  writeOutput(streams_->hitStream, block_);
  block_.clear();
}

void FileOutput::writeHeld() {
  std::size_t at = 0;
  for (const Event& event : events_) {
    write(event, std::string_view(heldText_).substr(at, event.textSize));
    at += event.textSize;
  }
  events_.clear();
  events_.shrink_to_fit();
  heldText_.clear();
  heldText_.shrink_to_fit();
  heldBytes_ = 0;
  held_ = false;
  flush();
}

// Writes the event, or holds it while the output is held.
void FileOutput::add(Kind kind, std::uint64_t number, bool ended, std::string_view text) {
  Event event{kind, number, ended, text.size()};
  if (!held_) {
    write(event, text);
  } else {
    hold(event, text);
  }
}

void FileOutput::holdCuteHit(std::uint64_t element, std::string_view shown) {
  CuteText cute = cuteText(streams_->display, shown);
  Event event{Kind::kCuteHit, element, false, cute.text.size()};
  event.byCharacter = cute.byCharacter;
  const std::size_t from = heldText_.size();
  hold(event, cute.text);
  if (cute.bars) std::replace(heldText_.begin() + from, heldText_.end(), '\n', '|');
}

void FileOutput::hold(const Event& event, std::string_view text) {
  heldText_ += text;
  holdAppended(event);
}

// Holds `event`, whose text has just been appended to the texts held.
void FileOutput::holdAppended(const Event& event) {
  events_.push_back(event);
  heldBytes_ += event.textSize + sizeof(Event);
}

void FileOutput::write(const Event& event, std::string_view text) {
  FileTally& file = tally();
  // An earlier piece of the file ended its text: nothing of this one is shown.
  if (file.ended) return;
  switch (event.kind) {
    case Kind::kHit:
    case Kind::kCuteHit:
    case Kind::kShownHit: {
      if (!file.headerShown) {
        file.headerShown = true;
        formatHeader(streams_->display, file.fullPath(), block_);
      }
      long long line = static_cast<long long>(file.elementsBefore + event.number + 1);
      if (event.kind == Kind::kShownHit) {
        block_ += text;
      } else if (event.kind == Kind::kCuteHit) {
        CuteText cute{text, 0, false, event.byCharacter};
        formatCuteText(streams_->display, line, cute, {}, block_);
      } else {
        std::vector<TextMark> marks;
        if (streams_->marked) marks = hitMarks(*streams_->marked, text, event.firstAt);
        formatHit(streams_->display, line, text, marks, block_);
      }
      // Stored only once: the threads that hold later units read the streams' settings,
      // which share its cache line.
      if (!streams_->hitShown) streams_->hitShown = true;
      if (!streams_->holdHits || block_.size() >= kHitBlock) flush();
      break;
    }
    case Kind::kMessage:
      flush();
      clearProgress(*streams_);
      writeDiagnostic(streams_->diagnosticStream, text);
      break;
    case Kind::kProgress:
      flush();
      if (++streams_->progressCount % 256 == 0) {
        std::string count = formatMessage("skern:%lld\r", streams_->progressCount);
        writeDiagnostic(streams_->diagnosticStream, count);
        // On a terminal the count stands until something else is written there.
        if (streams_->progressOnTerminal) streams_->progressStanding = count.size() - 1;
      }
      break;
    case Kind::kEnd:
      // A piece of a big file is done: what it found goes out now, not when the buffer
      // fills, so that the first hits of a big file arrive while its later pieces are read.
      flush();
      flushStream(streams_->hitStream);
      file.elementsBefore += event.number;
      file.ended = event.ended;
      break;
  }
}
