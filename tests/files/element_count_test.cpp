#include "files/element_count.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "files/element_division.h"

namespace {

using namespace std::string_literals;

// Lines of every kind that change the count: empty ones, short ones, and with `longLines` runs of
// 448 bytes and more without a line feed, lines of exactly 999 and 1998 bytes and longer; NULs.
std::string mixedText(unsigned seed, bool longLines) {
  std::mt19937 random(seed);
  const std::size_t lengths[] = {0, 1, 15, 16, 63, 64, 447, 448, 500, 998, 999, 1000, 1998, 3000};
  std::string text;
  for (int line = 0; line < 60; ++line) {
    std::size_t length = lengths[random() % (longLines ? std::size(lengths) : 7)];
    for (std::size_t i = 0; i < length; ++i) text += random() % 97 == 0 ? '\0' : 'a' + i % 26;
    if (line < 59 || random() % 2 == 0) text += '\n';
  }
  return text;
}

// The elements that division holds for `text`.
std::size_t dividedElements(const std::string& text) {
  ElementList elements;
  ElementCursor cursor = startElements(text);
  while (!cursor.done()) divideElements(cursor, text.data() + text.size(), elements);
  return elements.size();
}

TEST(CountElements, AgreesWithDivisionWhereverTheTextIsCut) {
  for (unsigned seed = 1; seed <= 20; ++seed) {
    std::string text = mixedText(seed, seed % 2 == 0);
    std::size_t expected = dividedElements(text);
    for (std::size_t cut : {std::size_t{0}, std::size_t{1}, text.size() / 3, text.size()}) {
      ElementCount count;
      countElements(count, std::string_view(text).substr(0, cut));
      countElements(count, std::string_view(text).substr(cut));
      // A last line without a line feed is one element more, however short.
      std::uint64_t open = count.lineLength % kMaxElementLength != 0 ? 1 : 0;
      EXPECT_EQ(count.total() + open, expected) << "seed " << seed << " cut " << cut;
    }
  }
}

TEST(SkipElements, CountsWhatItPassesAndDividesOnFromThere) {
  std::string text = std::string(2500, 'x') + "\nab\0c\n\nlast"s;
  ElementCursor cursor = startElements(std::string_view(text.data(), text.size()));
  // 2500 bytes and a line feed: elements of 999, 999 and 503.
  EXPECT_EQ(skipElements(cursor, text.data() + 2501, true), 3u);
  ElementList rest;
  while (!cursor.done()) divideElements(cursor, text.data() + text.size(), rest);
  ASSERT_EQ(rest.size() - rest.first(), 3u);
  EXPECT_EQ(rest[rest.first()], "ab");  // cut short at its NUL
  EXPECT_EQ(rest[rest.first() + 2], "last");
}

}  // namespace
