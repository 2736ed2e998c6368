// Any hit text, margin and line number through formatCute and formatDump: the cute form begins
// with its prefix, ends with a line feed, and no line of it is longer than the margin allows;
// the dump form is the prefix and the text unchanged.
//
// Input: one byte of flags, four bytes of margin, eight of line number, then the text.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "cmdline/settings.h"
#include "output/hit_display.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 13) return 0;
  std::int32_t margin;
  std::int64_t lineNumber;
  std::memcpy(&margin, data + 1, 4);
  std::memcpy(&lineNumber, data + 5, 8);
  Settings = SettingsRecord();
  Settings.lineNumbers = (data[0] & 1) != 0;
  Settings.showAll = (data[0] & 2) != 0;
  Settings.truncate = (data[0] & 4) != 0;
  Settings.rightMargin = margin;
  std::string text(reinterpret_cast<const char*>(data + 13), size - 13);
  text = text.c_str();  // the texts of a file hold no NUL, and here no line feed inside
  std::erase(text, '\n');
  std::string prefix = Settings.lineNumbers ? std::to_string(lineNumber) + ":" : "";

  std::string out;
  formatCute(lineNumber, text, out);
  if (out.compare(0, prefix.size() + 1, " " + prefix) != 0 || out.back() != '\n') std::abort();
  long long limit = std::max<long long>(margin, 2) + 1;
  std::size_t start = 0;
  for (std::size_t end; (end = out.find('\n', start)) != std::string::npos; start = end + 1) {
    long long length = static_cast<long long>(end - start);
    if (length > limit && !(start == 0 && length == static_cast<long long>(prefix.size()) + 1)) {
      std::abort();
    }
  }
  out.clear();
  formatDump(lineNumber, text, out);
  if (out != "  " + prefix + text) std::abort();
  return 0;
}
