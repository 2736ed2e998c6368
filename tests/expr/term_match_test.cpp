#include "expr/term_match.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "expr/term_search.h"

namespace {

TEST(FindTerm, CaseWordsAndTrimming) {
  struct Row {
    const char* text;
    const char* term;
    bool ignoreCase;
    bool wholeWords;
    bool trimmed;
    long long expected;
  };
  const Row rows[] = {
      {"{", "[", true, false, false, -1},     // bytes that differ by 0x20 but are no letters
      {"ab", "abc", true, false, false, -1},  // an occurrence must lie inside the text
      {"aaa", "aa", true, true, false, -1},
      {"xfoo", "foo", true, true, false, -1},
      // With trimming the first and last bytes are only neighbours.
      {"-b-", "b", true, true, true, 0},
      {"abc", "b", true, true, true, -1},  // neighbours come from the whole text
      {" foox", "foo", true, true, true, -1},
      {"abc", "a", true, false, true, 0},  // without whole words the whole text is searched
      // Empty terms.
      {"", "", false, true, false, -1},
      {"-", "", false, true, false, 0},
      {"a  b", "", false, true, false, 2},
      {"ab cd", "", false, true, false, -1},
  };
  for (const Row& row : rows) {
    TermSearcher searcher = prepareTerm(row.term, row.ignoreCase);
    EXPECT_EQ(findTerm(searcher, row.text, row.wholeWords, row.trimmed), row.expected)
        << '"' << row.text << "\" \"" << row.term << "\" i" << row.ignoreCase << " w"
        << row.wholeWords << " t" << row.trimmed;
    if (!row.wholeWords) {
      EXPECT_EQ(searchTerm(searcher, row.text), row.expected) << row.text;
    }
  }
}

TEST(IsWordBoundary, EveryByte) {
  // Letters, digits, 1 to 8, 14 to 31 and 127 are no boundary; '_' and bytes from 128 up are.
  for (int c = 0; c < 256; ++c) {
    bool inner = std::isalnum(c) || (c >= 1 && c <= 8) || (c >= 14 && c <= 31) || c == 127;
    EXPECT_EQ(isWordBoundary(static_cast<unsigned char>(c)), !inner) << "byte " << c;
  }
}

}  // namespace
