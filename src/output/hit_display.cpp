#include "output/hit_display.h"

namespace {

bool isTrimmed(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

std::string_view trimmedText(std::string_view text) {
  std::size_t end = text.size();
  while (end > 0 && isTrimmed(text[end - 1])) --end;
  std::size_t start = 0;
  while (start < end && isTrimmed(text[start])) ++start;
  return text.substr(start, end - start);
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
    out += std::to_string(lineNumber);
    out += ':';
  }
  out += text;
}

void formatCute(const DisplayOptions& options, long long lineNumber, std::string_view text,
                std::string& out) {
  text = trimmedText(text);
  std::size_t prefixStart = out.size();
  out += ' ';
  if (options.lineNumbers) {
    out += std::to_string(lineNumber);
    out += ':';
  }
  long long column = static_cast<long long>(out.size() - prefixStart);
  const long long margin = options.rightMargin;
  for (char c : text) {
    if (options.showAll && c == '\n') {
      if (options.truncate) {
        out += '\n';
        return;
      }
      c = '|';
    }
    if (column > margin) {
      out += '\n';
      if (options.truncate) return;
      column = 0;
    }
    if (column == 0) {
      out += "  ";
      column = 2;
    }
    out += c;
    ++column;
  }
  out += '\n';
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
