#include "files/text_mode.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using Elements = std::vector<std::string>;

// The elements of a file that holds `raw`, as the line reader delivers them.
Elements elementsOf(std::string raw) {
  std::size_t size = applyTextMode(raw.data(), raw.size()).size;
  std::vector<std::string_view> views;
  splitIntoElements(std::string_view(raw.data(), size), views);
  return Elements(views.begin(), views.end());
}

std::string run(std::size_t count, char c) {
  return std::string(count, c);
}

std::string nul(const char* before, const char* after) {
  return std::string(before) + '\0' + after;
}

TEST(TextMode, CarriageReturnsAndTheEndOfTextByte) {
  struct Row {
    std::string raw;
    Elements elements;
  };
  const Row rows[] = {
      {"", {}},
      {"abc\r\ndef\r\n", {"abc\n", "def\n"}},
      {"a\rb\n", {"ab\n"}},
      {"\r\r\r", {}},
      {"\r\n\r\n", {"\n", "\n"}},
      {"a\r", {"a"}},
      {"x\x1Ay\n", {"x"}},
      {"\x1A"
       "abc\n",
       {}},
      {"a\r\n\x1A\r\nb\n", {"a\n"}},
      {"one\ntwo\n\x1A\x1Athree", {"one\n", "two\n"}},
      // carriage returns go before the text is cut into chunks of 999
      {run(998, 'a') + "\rbb\n", {run(998, 'a') + "b", "b\n"}},
      {run(999, 'a') + "\r\n", {run(999, 'a'), "\n"}},
      {run(500, 'a') + run(600, '\r') + run(499, 'b') + "\n",
       {run(500, 'a') + run(499, 'b'), "\n"}},
  };
  for (const Row& row : rows) EXPECT_EQ(elementsOf(row.raw), row.elements) << row.raw.size();
}

TEST(TextMode, LongLinesAreHeldInPiecesOf999) {
  struct Row {
    std::string raw;
    std::vector<std::size_t> lengths;
  };
  const Row rows[] = {
      {run(2500, 'x'), {999, 999, 502}},
      {run(2500, 'x') + "\n", {999, 999, 503}},
      {run(999, 'x') + "\n", {999, 1}},
      {run(998, 'x') + "\n", {999}},
      {run(1998, 'x') + "\n", {999, 999, 1}},
      {run(999, 'x') + "\n" + run(999, 'y') + "\nz", {999, 1, 999, 1, 1}},
      {"a\nb", {2, 1}},
      {"\n\n", {1, 1}},
  };
  for (const Row& row : rows) {
    std::vector<std::size_t> lengths;
    for (const std::string& element : elementsOf(row.raw)) lengths.push_back(element.size());
    EXPECT_EQ(lengths, row.lengths) << row.raw.size();
  }
  EXPECT_EQ(elementsOf(run(999, 'x') + "\n").back(), "\n");
}

TEST(TextMode, NulEndsItsElementAndTheRestOfItsChunkIsDropped) {
  struct Row {
    std::string raw;
    Elements elements;
  };
  const Row rows[] = {
      {nul("ab", "cd\nef\n"), {"ab", "ef\n"}},
      {nul("", "abc\nz\n"), {"", "z\n"}},
      {nul("ab", "\nc\n"), {"ab", "c\n"}},
      {nul("a", "b") + '\0' + "c\nd" + '\0' + "\n", {"a", "d"}},
      {nul("a", "\nb\n") + '\0' + "c\nd\n", {"a", "b\n", "", "d\n"}},
      {nul("last", "line"), {"last"}},
      {nul("a\r", "\r\nb\n"), {"a", "b\n"}},
      // the chunks of a long line are counted with its NUL in place
      {run(500, 'a') + '\0' + run(1500, 'b') + "\n", {run(500, 'a'), run(999, 'b'), "bbb\n"}},
      {run(999, 'a') + '\0' + "b\n", {run(999, 'a'), ""}},
      {run(998, 'a') + '\0' + "b\n", {run(998, 'a'), "b\n"}},
  };
  for (const Row& row : rows) EXPECT_EQ(elementsOf(row.raw), row.elements) << row.raw.size();
}

// The elements as a text-mode reader of chunks of at most 999 characters that stops after a
// line feed delivers them, each taken up to its first NUL.
Elements chunkedByReader(const std::string& raw) {
  std::string text;
  for (char c : raw.substr(0, raw.find('\x1A'))) {
    if (c != '\r') text += c;
  }
  Elements elements;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = at;
    while (end < text.size() && end - at < 999) {
      if (text[end++] == '\n') break;
    }
    std::string chunk = text.substr(at, end - at);
    elements.push_back(chunk.substr(0, chunk.find('\0')));
    at = end;
  }
  return elements;
}

TEST(TextMode, MixedTextMatchesAChunkReader) {
  std::uint32_t state = 12345;
  auto next = [&state] {
    state = state * 1103515245u + 12345u;
    return (state >> 16) & 0x7FFF;
  };
  const std::string oddBytes[] = {"\n", std::string(1, '\0'), "\r", "\r\n", "\n\n\n"};
  for (int round = 0; round < 30; ++round) {
    std::string text;
    while (text.size() < 20000) {
      unsigned pick = next() % 100;
      if (pick < 15) {
        text += oddBytes[pick % 5];
      } else if (pick < 16) {
        text += std::string(900 + next() % 1200, 'L');
      } else {
        text += static_cast<char>('a' + next() % 26);
      }
    }
    text.resize(text.size() - next() % 17);  // not always a multiple of anything
    // Every third round the text ends early, with more odd bytes behind its end.
    if (round % 3 == 1) text.insert(next() % text.size(), std::string("\x1A\r\0\n\x1A", 5));
    ASSERT_EQ(elementsOf(text), chunkedByReader(text)) << "round " << round;
  }
}

}  // namespace
