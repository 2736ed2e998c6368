#include "output/hit_display.h"

#include <algorithm>
#include <charconv>

#include "output/utf8_width.h"
#include "platform/ascii.h"

namespace {

// The colours of a terminal: what made a hit in bold red, the header and the line numbers in
// colours of their own. The sequences take no column.
constexpr std::string_view kMarkOn = "\x1b[1;31m";
constexpr std::string_view kHeaderOn = "\x1b[35m";
constexpr std::string_view kNumberOn = "\x1b[32m";
constexpr std::string_view kColourOff = "\x1b[0m";

// `text` without the white space at either end; `start` receives where what is left begins.
std::string_view trimmedText(std::string_view text, std::size_t& start) {
  std::size_t end = text.size();
  while (end > 0 && isAsciiSpace(text[end - 1])) --end;
  start = 0;
  while (start < end && isAsciiSpace(text[start])) ++start;
  return text.substr(start, end - start);
}

// Appends `lead` (one or two blanks), then with line numbers the number and a colon; returns
// the columns taken. The prefix is put together in place and appended at once: it comes
// before every hit.
long long appendPrefix(const DisplayOptions& options, std::string_view lead, long long lineNumber,
                       std::string& out) {
  if (!options.lineNumbers) {
    out += lead;
    return static_cast<long long>(lead.size());
  }
  char prefix[64];
  char* end = std::copy(lead.begin(), lead.end(), prefix);
  if (options.colours) end = std::copy(kNumberOn.begin(), kNumberOn.end(), end);
  char* digitsAt = end;
  // 24 characters hold any long long.
  end = std::to_chars(end, end + 24, lineNumber).ptr;
  const std::size_t digits = static_cast<std::size_t>(end - digitsAt);
  if (options.colours) end = std::copy(kColourOff.begin(), kColourOff.end(), end);
  *end++ = ':';
  out.append(prefix, end);
  return static_cast<long long>(lead.size() + digits + 1);
}

// Which marks a stretch of the text falls in, for stretches taken from its start on.
class MarkCursor {
 public:
  explicit MarkCursor(const std::vector<TextMark>& marks) : marks_(marks) {}
  // True when bytes `begin` to `end` share a byte with a mark; `begin` never goes back.
  bool covers(std::size_t begin, std::size_t end) {
    while (next_ < marks_.size() && marks_[next_].end <= begin) ++next_;
    return next_ < marks_.size() && marks_[next_].begin < end;
  }

 private:
  const std::vector<TextMark>& marks_;
  std::size_t next_ = 0;
};

// The cute form where every byte takes a column and nothing is marked: the text in runs.
void appendCuteBytes(const DisplayOptions& options, long long column, std::string_view text,
                     std::string& out) {
  // The first output line takes the text up to the margin's column, every continuation line
  // two blanks and as much again (at least one character).
  const long long margin = options.rightMargin;
  std::size_t take = column <= margin ? static_cast<std::size_t>(margin + 1 - column) : 0;
  const std::size_t perLine = margin > 2 ? static_cast<std::size_t>(margin - 1) : 1;
  for (;;) {
    take = std::min(take, text.size());
    out.append(text.data(), take);
    text.remove_prefix(take);
    out += '\n';
    if (text.empty() || options.truncate) return;
    out += "  ";
    take = perLine;
  }
}

}  // namespace

void formatHeader(const DisplayOptions& options, std::string_view path, std::string& out) {
  out += '\n';
  if (options.colours) out += kHeaderOn;
  out += "::::::::: ";
  out += path;
  if (options.colours) out += kColourOff;
  out += '\n';
}

void formatDump(const DisplayOptions& options, long long lineNumber, std::string_view text,
                const std::vector<TextMark>& marks, std::string& out) {
  appendPrefix(options, "  ", lineNumber, out);
  if (!options.colours || marks.empty()) {
    out += text;
    return;
  }
  MarkCursor cursor(marks);
  bool inMark = false;
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (bool want = cursor.covers(at, at + 1); want != inMark) {
      out += want ? kMarkOn : kColourOff;
      inMark = want;
    }
    out += text[at];
  }
  if (inMark) out += kColourOff;
}

CuteText cuteText(const DisplayOptions& options, std::string_view text) {
  CuteText cute;
  cute.text = trimmedText(text, cute.start);
  // A text of several lines (a window shown whole) shows its line ends as '|'; cut at the
  // margin, it ends at its first line end.
  if (cute.text.find('\n') != std::string_view::npos) {
    if (options.truncate) {
      cute.text = cute.text.substr(0, cute.text.find('\n'));
    } else {
      cute.bars = true;
    }
  }
  // Where the text is UTF-8, its columns are those of its characters on a terminal, and no
  // character is cut; elsewhere every byte is a column.
  cute.byCharacter = isMultibyteUtf8(cute.text);
  return cute;
}

void formatCute(const DisplayOptions& options, long long lineNumber, std::string_view text,
                const std::vector<TextMark>& marks, std::string& out) {
  formatCuteText(options, lineNumber, cuteText(options, text), marks, out);
}

void formatCuteText(const DisplayOptions& options, long long lineNumber, const CuteText& cute,
                    const std::vector<TextMark>& marks, std::string& out) {
  std::string_view text = cute.text;
  const std::size_t start = cute.start;
  const bool bars = cute.bars;
  const bool byCharacter = cute.byCharacter;
  long long column = appendPrefix(options, " ", lineNumber, out);
  const bool marked = options.colours && !marks.empty();
  if (!byCharacter && !marked) {
    std::string barred;
    if (bars) {
      barred.assign(text);
      std::replace(barred.begin(), barred.end(), '\n', '|');
      text = barred;
    }
    appendCuteBytes(options, column, text, out);
    return;
  }
  // One character at a time: it goes on a continuation line where its last column would pass
  // the margin; a combining mark stays with the character before it.
  MarkCursor cursor(marks);
  bool inMark = false;
  for (std::size_t at = 0; at < text.size();) {
    std::size_t length = 1;
    int width = 1;
    if (byCharacter) {
      char32_t c;
      length = decodeUtf8(text.substr(at), c);
      width = codePointColumns(c);
    }
    if (width > 0 && column + width - 1 > options.rightMargin) {
      if (inMark) out += kColourOff;
      inMark = false;
      out += '\n';
      if (options.truncate) return;
      out += "  ";
      column = 2;
    }
    if (bool want = marked && cursor.covers(start + at, start + at + length); want != inMark) {
      out += want ? kMarkOn : kColourOff;
      inMark = want;
    }
    if (bars && text[at] == '\n') {
      out += '|';
    } else {
      out.append(text.data() + at, length);
    }
    column += width;
    at += length;
  }
  if (inMark) out += kColourOff;
  out += '\n';
}

void formatHit(const DisplayOptions& options, long long lineNumber, std::string_view text,
               const std::vector<TextMark>& marks, std::string& out) {
  if (options.cute) {
    formatCute(options, lineNumber, text, marks, out);
  } else {
    formatDump(options, lineNumber, text, marks, out);
  }
}
