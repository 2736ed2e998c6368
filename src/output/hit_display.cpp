#include "output/hit_display.h"

#include <string>

#include "cmdline/settings.h"
#include "files/file_scan.h"
#include "output/standard_output.h"

bool foundAny = false;

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

// The hit being formatted; reused so that showing a hit allocates nothing once warmed up.
std::string hitText;

}  // namespace

void showheader() {
  if (HeaderShown) return;
  HeaderShown = true;
  foundAny = true;
  std::string header = "\n::::::::: " + currentPath() + "\n";
  writeOutput(header);
}

void formatDump(long long lineNumber, std::string_view text, std::string& out) {
  out += "  ";
  if (Settings.lineNumbers) {
    out += std::to_string(lineNumber);
    out += ':';
  }
  out += text;
}

void formatCute(long long lineNumber, std::string_view text, std::string& out) {
  text = trimmedText(text);
  std::size_t prefixStart = out.size();
  out += ' ';
  if (Settings.lineNumbers) {
    out += std::to_string(lineNumber);
    out += ':';
  }
  long long column = static_cast<long long>(out.size() - prefixStart);
  const long long margin = Settings.rightMargin;
  for (char c : text) {
    if (Settings.showAll && c == '\n') {
      if (Settings.truncate) {
        out += '\n';
        return;
      }
      c = '|';
    }
    if (column > margin) {
      out += '\n';
      if (Settings.truncate) return;
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

void showhit(long long lineNumber, std::string_view line, std::string_view window) {
  showheader();
  std::string_view text = Settings.showAll ? window : line;
  hitText.clear();
  if (Settings.cute) {
    formatCute(lineNumber, text, hitText);
  } else {
    formatDump(lineNumber, text, hitText);
  }
  writeOutput(hitText);
}
