#include "reference/reference_reader.h"

#include <cstring>

namespace reference {

namespace {

// A file opened in text mode: carriage returns vanish and the byte 0x1A ends the text.
struct TextModeFile {
  const std::string& bytes;
  std::size_t position = 0;
  bool ended = false;

  // The next character, or -1 at the end of the text.
  int next() {
    while (true) {
      if (ended || position >= bytes.size()) return -1;
      unsigned char c = static_cast<unsigned char>(bytes[position]);
      ++position;
      if (c == 0x1A) {
        ended = true;
        return -1;
      }
      if (c == '\r') continue;
      return c;
    }
  }
};

// Reads at most `size` - 1 characters into `buffer`, stopping after a line feed, and closes
// them with a NUL; false when not one character could be read.
bool readChunk(TextModeFile& file, char* buffer, int size) {
  int count = 0;
  while (count < size - 1) {
    int c = file.next();
    if (c < 0) break;
    buffer[count] = static_cast<char>(c);
    ++count;
    if (c == '\n') break;
  }
  if (count == 0) return false;
  buffer[count] = '\0';
  return true;
}

}  // namespace

ReadResult readFile(const std::string& bytes, const Settings& settings) {
  ReadResult result;
  TextModeFile file{bytes};
  char buffer[1000];
  if (settings.binaryThreshold != 0 && settings.binaryTestChars != 0) {
    long long controls = 0;
    long long tested = 0;
    bool decided = false;
    while (!decided) {
      if (!readChunk(file, buffer, 1000)) break;
      result.lines.push_back(std::string(buffer));
      for (std::size_t i = 0; buffer[i] != '\0'; ++i) {
        unsigned char c = static_cast<unsigned char>(buffer[i]);
        if (c < 32 && c != 9 && c != 10) ++controls;
        ++tested;
        if (tested >= settings.binaryTestChars) {
          if (controls < settings.binaryThreshold) {
            decided = true;
            break;
          }
          result.binary = true;
          return result;
        }
      }
    }
  }
  while (readChunk(file, buffer, 1000)) result.lines.push_back(std::string(buffer));
  return result;
}

}  // namespace reference
