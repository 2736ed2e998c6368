#include "platform/wildcard.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

TEST(WildcardMatch, StarsQuestionMarksAndCase) {
  struct Row {
    const char* pattern;
    const char* name;
    bool matches;
  };
  const Row rows[] = {
      {"*", "abc", true},
      {"*.*", "noext", true},
      {"*.*", ".h", true},
      {"*.txt", "A.TXT", true},
      {"*.TXT", "b.txt", true},
      {"*.txt", "a.txt.bak", false},
      {"*.txt", "atxt", false},
      {"x.txt", "X.Txt", true},
      {"a?c", "abc", true},
      {"a?c", "ac", false},
      {"a?c", "abbc", false},
      {"?", "", false},
      {"?*", "a", true},
      {"*?", "", false},
      {"**", "x", true},
      {"", "", true},
      {"", "a", false},
      {"a*", "abc", true},
      {"a*", "bac", false},
      {"*a", "bbba", true},
      {"*a", "bbab", false},
      {"*a*", "xyz", false},
      // backtracking: the first place a star could stop is not the right one
      {"*abc", "ababc", true},
      {"*ab*cd*", "xxabyycdzz", true},
      {"a*b*c", "aXbXbXc", true},
      {"a*b*c", "aXbXbX", false},
      {"*.tar.gz", "x.tar.tar.gz", true},
      {"*a?b", "aaxb", true},
      {"*aab", "aaab", true},
      // only a-z fold onto A-Z: '{' is not '[', and non-ASCII bytes compare as they are
      {"[", "{", false},
      {"@", "`", false},
      {"\xE9", "\xC9", false},
      {"[ab]", "a", false},  // no character classes
  };
  for (const Row& row : rows) {
    EXPECT_EQ(wildcardMatch(row.pattern, row.name), row.matches)
        << '"' << row.pattern << "\" against \"" << row.name << '"';
  }
}

TEST(FoldedNameLess, SortsByFoldedBytes) {
  std::vector<std::string> names = {"bravo", "_under", "Alpha", "1num", "[x", "ab", "a", "Zed"};
  std::sort(names.begin(), names.end(), foldedNameLess);
  EXPECT_EQ(names,
            (std::vector<std::string>{"1num", "a", "ab", "Alpha", "bravo", "Zed", "[x", "_under"}));
}

TEST(FoldedNameLess, NamesDifferingOnlyInCaseAreOrderedStrictly) {
  EXPECT_TRUE(foldedNameLess("ABC", "abd"));
  EXPECT_FALSE(foldedNameLess("abd", "ABC"));
  EXPECT_NE(foldedNameLess("B", "b"), foldedNameLess("b", "B"));
  EXPECT_FALSE(foldedNameLess("b", "b"));
}

}  // namespace
