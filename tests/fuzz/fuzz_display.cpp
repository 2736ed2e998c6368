// Any hit text, margin and line number through formatCute and formatDump: no output line is
// longer than the margin allows, a line wraps only once it is full, and nothing is written
// that is not the prefix, the text (its window line ends shown as bars) or the line breaks
// and indentation of a wrap.
//
// Input: one byte of flags, the margin (1 byte, or 4 with flag 0x10), the line number (1 byte,
// or 8 with flag 0x20), then the text.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "cmdline/settings.h"
#include "output/hit_display.h"

namespace {

void check(bool condition) {
  if (!condition) std::abort();
}

bool isTrimmed(char c) {
  return c == ' ' || (c >= 9 && c <= 13);
}

// Takes `n` bytes from the input as a little-endian signed number.
long long take(const std::uint8_t*& data, std::size_t& size, std::size_t n) {
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < n; ++i) value |= static_cast<std::uint64_t>(data[i]) << (8 * i);
  data += n;
  size -= n;
  if (n < 8 && (value >> (8 * n - 1)) != 0) value |= ~std::uint64_t{0} << (8 * n);
  return static_cast<long long>(value);
}

void checkCute(long long lineNumber, std::string text, const std::string& out) {
  std::string prefix = " ";
  if (Settings.lineNumbers) prefix += std::to_string(lineNumber) + ":";
  // What the text may contribute: trimmed, window line ends as bars, or the end of the hit at
  // the first of them under truncation.
  std::size_t end = text.size();
  while (end > 0 && isTrimmed(text[end - 1])) --end;
  std::size_t start = 0;
  while (start < end && isTrimmed(text[start])) ++start;
  std::string shown = text.substr(start, end - start);
  if (Settings.showAll) {
    std::size_t feed = shown.find('\n');
    if (Settings.truncate && feed != std::string::npos) shown.resize(feed);
    for (char& c : shown) c = c == '\n' ? '|' : c;
  }

  const long long margin = Settings.rightMargin;
  const long long prefixLength = static_cast<long long>(prefix.size());
  check(out.compare(0, prefix.size(), prefix) == 0);
  check(!out.empty() && out.back() == '\n');
  std::size_t at = prefix.size();
  std::size_t taken = 0;  // characters of `shown` met so far
  long long lineLength = prefixLength;
  bool firstLine = true;
  while (at < out.size()) {
    char c = out[at];
    if (c == '\n') {
      long long limit = firstLine ? (prefixLength > margin ? prefixLength : margin + 1)
                                  : (margin + 1 > 3 ? margin + 1 : 3);
      check(lineLength <= limit);
      if (at + 1 == out.size()) break;
      // A wrap, which comes only once the line is full; two spaces start the next line.
      check(lineLength == limit);
      check(out.compare(at + 1, 2, "  ") == 0);
      at += 3;
      lineLength = 2;
      firstLine = false;
      continue;
    }
    check(taken < shown.size() && shown[taken] == c);
    ++taken;
    ++lineLength;
    ++at;
  }
  // Either all of the text is there, or truncation ended it at the margin.
  check(taken == shown.size() || Settings.truncate);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  std::uint8_t flags = data[0];
  ++data;
  --size;
  std::size_t marginBytes = (flags & 0x10) ? 4 : 1;
  std::size_t numberBytes = (flags & 0x20) ? 8 : 1;
  if (size < marginBytes + numberBytes) return 0;
  Settings = SettingsRecord();
  Settings.lineNumbers = (flags & 1) != 0;
  Settings.showAll = (flags & 2) != 0;
  Settings.truncate = (flags & 4) != 0;
  Settings.rightMargin = static_cast<int>(take(data, size, marginBytes));
  long long lineNumber = take(data, size, numberBytes);
  std::string text(reinterpret_cast<const char*>(data), size);
  text = text.c_str();  // the texts of a file hold no NUL
  if (!Settings.showAll) {
    // A hit line holds a line feed only at its end; a window may hold any number.
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] != '\n' || i + 1 == text.size()) line += text[i];
    }
    text = line;
  }

  std::string out;
  formatCute(lineNumber, text, out);
  checkCute(lineNumber, text, out);

  out.clear();
  formatDump(lineNumber, text, out);
  std::string prefix = "  ";
  if (Settings.lineNumbers) prefix += std::to_string(lineNumber) + ":";
  check(out == prefix + text);
  return 0;
}
