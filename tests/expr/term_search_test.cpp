#include "expr/term_search.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "expr/term_match.h"
#include "platform/byte_blocks.h"

namespace {

// findTerm byte by byte: the first place from `from` where the term lies in the text and, under
// `wholeWords`, between word boundaries (the text's end is one); `trimmed` with `wholeWords`:
// only between the text's first and last bytes, counted from the second.
long long naiveFind(std::string_view text, std::string_view term, bool ignoreCase,
                    bool wholeWords = false, bool trimmed = false, std::size_t from = 0) {
  auto fold = [&](unsigned char c) { return ignoreCase && c >= 'a' && c <= 'z' ? c - 32 : c; };
  const std::size_t k = wholeWords && trimmed ? 1 : 0;
  const std::string_view region = k == 0            ? text
                                  : text.size() < 3 ? std::string_view()
                                                    : text.substr(1, text.size() - 2);
  auto boundary = [&](std::size_t at) { return at >= text.size() || isWordBoundary(text[at]); };
  for (std::size_t at = from; at + term.size() <= region.size(); ++at) {
    std::size_t i = 0;
    while (i < term.size() && fold(region[at + i]) == fold(term[i])) ++i;
    if (i == term.size() &&
        (!wholeWords || ((at + k == 0 || boundary(at + k - 1)) && boundary(at + k + term.size()))))
      return static_cast<long long>(at);
  }
  return -1;
}

// Every vector level the processor runs against the byte-by-byte search, on random texts with
// near misses, planted occurrences and special bytes, at every alignment and at memory's end;
// findTerm under each whole-word rule the same way.
TEST(TermSearch, EveryLevelAgainstBytes) {
  const VectorLevel levels[] = {VectorLevel::avx512bw, VectorLevel::avx2, VectorLevel::basic};
  // Letters in both cases, bytes 0x20 from them that are no letters, a line feed, bytes >= 0x80.
  const std::string alphabet = "abqQZz@`[{\n-\xe1\xc1";
  int levelsRun = 0;
  for (VectorLevel level : levels) {
    limitVectorLevel(level);
    if (vectorLevel() != level) continue;
    ++levelsRun;
    std::mt19937 random(20240611);
    auto below = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
    for (int round = 0; round < 6000; ++round) {
      const bool ignoreCase = round % 2 == 0;
      std::string term;
      const std::size_t termLength = 1 + below(round % 5 == 0 ? 80 : 8);
      for (std::size_t i = 0; i < termLength; ++i) term += alphabet[below(alphabet.size() - 4)];
      const std::size_t length = below(420);
      const std::size_t offset = below(64);
      std::vector<char> memory(offset + length);
      char* text = memory.data() + offset;
      // Half the term's own bytes, so that the anchors' bytes stand everywhere.
      for (std::size_t i = 0; i < length; ++i) {
        text[i] = below(2) == 0 ? alphabet[below(alphabet.size())] : term[below(termLength)];
      }
      if (termLength <= length && below(4) != 0) {
        std::size_t at = below(length - termLength + 1);
        for (std::size_t i = 0; i < termLength; ++i) {
          char c = term[i];
          if (ignoreCase && below(2) == 0 && ((c | 0x20) >= 'a' && (c | 0x20) <= 'z')) c ^= 0x20;
          text[at + i] = c;
        }
      }
      const int specials = static_cast<int>(below(3));  // none, at one place, at one more
      for (int i = 0; i < specials && length > 0; ++i) text[below(length)] = below(2) ? '\r' : 0x1A;
      const std::string_view view(text, length);
      const TermSearcher searcher = prepareTerm(term, ignoreCase);
      const long long expected = naiveFind(view, term, ignoreCase);
      const bool special = view.find_first_of("\r\x1A") != std::string_view::npos;
      SCOPED_TRACE(testing::Message()
                   << "level " << static_cast<int>(level) << " round " << round << " term \""
                   << term << "\" length " << length << " offset " << offset);
      EXPECT_EQ(searchTerm(searcher, view), expected);
      // The raw bytes pass only without an occurrence and without a special byte.
      EXPECT_EQ(searchRawBytes(searcher, view) == -1, expected == -1 && !special);
      const bool wholeWords = round % 3 != 0, trimmed = round % 4 >= 2;
      const std::size_t from = below(3);
      EXPECT_EQ(findTerm(searcher, view, wholeWords, trimmed, from),
                naiveFind(view, term, ignoreCase, wholeWords, trimmed, from))
          << "whole words " << wholeWords << " trimmed " << trimmed << " from " << from;
    }
  }
  limitVectorLevel(VectorLevel::avx512bw);
  EXPECT_GE(levelsRun, 1);
}

}  // namespace
