#include "reference/reference_display.h"

#include <cstdio>

namespace reference {

namespace {

bool isTrimmedSpace(char c) {
  return c == ' ' || c == '\f' || c == '\n' || c == '\r' || c == '\t' || c == '\v';
}

}  // namespace

void showheader(bool& headerShown, const std::string& currentPath, std::string& out) {
  if (headerShown) return;
  headerShown = true;
  out += "\n";
  out += "::::::::: ";
  out += currentPath;
  out += "\n";
}

void showhit(long long lineNumber, const std::string& line, const std::string& window,
             const Settings& settings, bool& headerShown, const std::string& currentPath,
             std::string& out) {
  showheader(headerShown, currentPath, out);
  std::string text = settings.showAll ? window : line;
  char prefix[64];
  if (!settings.cute) {
    if (settings.lineNumbers) {
      std::snprintf(prefix, sizeof prefix, "  %lld:", lineNumber);
    } else {
      std::snprintf(prefix, sizeof prefix, "  ");
    }
    out += prefix;
    out += text;
    return;
  }
  while (!text.empty() && isTrimmedSpace(text.back())) text.erase(text.size() - 1);
  while (!text.empty() && isTrimmedSpace(text.front())) text.erase(0, 1);
  long long column;
  if (settings.lineNumbers) {
    column = std::snprintf(prefix, sizeof prefix, " %lld:", lineNumber);
  } else {
    column = std::snprintf(prefix, sizeof prefix, " ");
  }
  out += prefix;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (settings.showAll && c == '\n') {
      if (settings.truncate) {
        out += '\n';
        return;
      }
      c = '|';
    }
    if (column > settings.rightMargin) {
      out += '\n';
      if (settings.truncate) return;
      column = 0;
    }
    if (column == 0) {
      out += "  ";
      column = 2;
    }
    out += c;
    column += 1;
  }
  out += '\n';
}

}  // namespace reference
