// Any byte stream through the text-mode reading and the division into elements: elements hold
// at most 999 bytes, no carriage return, no NUL and nothing from the first 0x1A on, a line feed
// only at their end; and every other byte is kept, in order. The expected elements are
// rebuilt one byte at a time and compared, both for applyTextMode with splitIntoElements and
// for the way the file scan loads a file's lines.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "files/line_list.h"
#include "files/text_mode.h"

namespace {

void check(bool condition) {
  if (!condition) std::abort();
}

// The text of `bytes` as text mode reads it: up to the first 0x1A, without carriage returns.
std::string textOf(const std::uint8_t* bytes, std::size_t size) {
  std::string text;
  for (std::size_t i = 0; i < size && bytes[i] != 0x1A; ++i) {
    if (bytes[i] != '\r') text += static_cast<char>(bytes[i]);
  }
  return text;
}

// The chunks of `text`: each ends after a line feed or at 999 bytes.
std::vector<std::string> chunksOf(const std::string& text) {
  std::vector<std::string> chunks;
  std::string chunk;
  for (char c : text) {
    chunk += c;
    if (c == '\n' || chunk.size() == 999) {
      chunks.push_back(chunk);
      chunk.clear();
    }
  }
  if (!chunk.empty()) chunks.push_back(chunk);
  return chunks;
}

void checkElements(const std::vector<std::string_view>& lines,
                   const std::vector<std::string>& chunks) {
  check(lines.size() == chunks.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string_view line = lines[i];
    check(line.size() <= 999);
    check(line.find('\r') == std::string_view::npos);
    check(line.find('\0') == std::string_view::npos);
    check(line.find('\x1A') == std::string_view::npos);
    std::size_t feed = line.find('\n');
    check(feed == std::string_view::npos || feed + 1 == line.size());
    // The element is its chunk, cut short at the chunk's first NUL.
    check(line == std::string_view(chunks[i].c_str()));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text = textOf(data, size);
  std::vector<std::string> chunks = chunksOf(text);
  std::string joined;
  for (const std::string& chunk : chunks) joined += chunk;
  check(joined == text);

  // An exact-size copy, so that any read past the bytes is caught.
  std::unique_ptr<char[]> bytes(new char[size == 0 ? 1 : size]);
  if (size > 0) std::memcpy(bytes.get(), data, size);
  std::size_t length = applyTextMode(bytes.get(), size).size;
  check(std::string_view(bytes.get(), length) == text);
  std::vector<std::string_view> lines;
  splitIntoElements(std::string_view(bytes.get(), length), lines);
  checkElements(lines, chunks);

  loadLines(std::string_view(reinterpret_cast<const char*>(data), size));
  checkElements(std::vector<std::string_view>(LineList.begin(), LineList.end()), chunks);
  resetLines();
  return 0;
}
