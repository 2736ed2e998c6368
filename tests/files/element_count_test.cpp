// Counting passed-over text in elements: the same count as dividing it line by line, however
// the text is cut into stretches and whichever vector level counts it.
#include "files/element_count.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "platform/byte_blocks.h"

namespace {

// The elements of `text` that a line feed ends, and the bytes of the line left open, counted
// one byte at a time.
ElementCount countedPlainly(const std::string& text) {
  ElementCount count;
  for (char c : text) {
    if (c == '\n') {
      count.elements += count.lineLength / kMaxElementLength + 1;
      count.lineLength = 0;
    } else {
      ++count.lineLength;
    }
  }
  return count;
}

// Lines of lengths drawn around `typical`, now and then one of more than 999 bytes or none.
std::string randomLines(std::mt19937& random, std::size_t bytes, std::size_t typical) {
  std::string text;
  std::uniform_int_distribution<std::size_t> length(0, 2 * typical);
  std::uniform_int_distribution<int> odd(0, 30);
  while (text.size() < bytes) {
    int kind = odd(random);
    std::size_t n = kind == 0 ? 998 + length(random) % 4000 : kind == 1 ? 0 : length(random);
    text.append(n, 'x');
    text += '\n';
  }
  text.resize(bytes);
  return text;
}

TEST(ElementCount, MatchesCountingByteByByteInAnyStretchesAtEveryLevel) {
  std::vector<VectorLevel> levels{VectorLevel::basic};
  if (vectorLevel() >= VectorLevel::avx2) levels.push_back(VectorLevel::avx2);
  const VectorLevel top = vectorLevel();
  std::mt19937 random(7);
  for (VectorLevel level : levels) {
    limitVectorLevel(level);
    for (std::size_t typical : {1, 20, 60, 300, 2000}) {
      for (int round = 0; round < 40; ++round) {
        const std::string text = randomLines(random, 1 + random() % 20000, typical);
        const ElementCount want = countedPlainly(text);
        ElementCount count;
        for (std::size_t at = 0; at < text.size();) {
          std::size_t stretch = std::min<std::size_t>(text.size() - at, 1 + random() % 3000);
          countElements(count, std::string_view(text).substr(at, stretch));
          at += stretch;
        }
        ASSERT_EQ(count.elements, want.elements) << "typical " << typical << " round " << round;
        ASSERT_EQ(count.lineLength, want.lineLength) << "typical " << typical;
      }
    }
  }
  limitVectorLevel(top);
}

}  // namespace
