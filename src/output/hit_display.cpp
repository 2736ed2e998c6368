#include "output/hit_display.h"

#include <algorithm>
#include <charconv>

#include "platform/ascii.h"

namespace {

std::string_view trimmedText(std::string_view text) {
  std::size_t end = text.size();
  while (end > 0 && isAsciiSpace(text[end - 1])) --end;
  std::size_t start = 0;
  while (start < end && isAsciiSpace(text[start])) ++start;
  return text.substr(start, end - start);
}

// Appends the decimal digits of `number`.
void appendNumber(long long number, std::string& out) {
  char digits[24];
  auto [end, error] = std::to_chars(digits, digits + sizeof digits, number);
  (void)error;  // 24 characters hold any long long
  out.append(digits, end);
}

}  // namespace

void formatHeader(std::string_view path, std::string& out) {
  out += "\n::::::::: ";
  out += path;
  out += '\n';
}

void formatDump(const DisplayOptions& options, long long lineNumber, std::string_view text,
                std::string& out) {
  out += "  ";
  if (options.lineNumbers) {
    appendNumber(lineNumber, out);
    out += ':';
  }
  out += text;
}

void formatCute(const DisplayOptions& options, long long lineNumber, std::string_view text,
                std::string& out) {
  text = trimmedText(text);
  // A window's line ends show as '|'; cut at the margin, it ends at its first line end.
  std::string bars;
  if (options.showAll && text.find('\n') != std::string_view::npos) {
    if (options.truncate) {
      text = text.substr(0, text.find('\n'));
    } else {
      bars.assign(text);
      std::replace(bars.begin(), bars.end(), '\n', '|');
      text = bars;
    }
  }
  std::size_t prefixStart = out.size();
  out += ' ';
  if (options.lineNumbers) {
    appendNumber(lineNumber, out);
    out += ':';
  }
  // The first output line takes the text up to the margin's column, every continuation line
  // two blanks and as much again (at least one character).
  const long long margin = options.rightMargin;
  const long long column = static_cast<long long>(out.size() - prefixStart);
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

void formatHit(const DisplayOptions& options, long long lineNumber, std::string_view line,
               std::string_view window, std::string& out) {
  std::string_view text = options.showAll ? window : line;
  if (options.cute) {
    formatCute(options, lineNumber, text, out);
  } else {
    formatDump(options, lineNumber, text, out);
  }
}
