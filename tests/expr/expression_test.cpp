#include "expr/expression.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Groups = std::vector<std::vector<std::string>>;

// Parses `text` (a writable copy of it) into `Expression`; returns the reported text of a
// malformed expression, or "" when the parse succeeded.
std::string parse(const std::string& text) {
  std::string copy = text;
  std::string bad;
  if (parseExpressionText(copy.data(), bad)) return "";
  EXPECT_FALSE(bad.empty()) << text;
  return bad;
}

TEST(ParseExpression, Results) {
  struct Row {
    const char* text;
    const char* firstTerm;
    Groups groups;
  };
  const Row rows[] = {
      {"stuff", "stuff", {}},
      {"stuff&bongo|bingo", "stuff", {{"bongo", "bingo"}}},
      {"a&b&c|d", "a", {{"b"}, {"c", "d"}}},
      {"a|b", "", {{"a", "b"}}},
      {"a|b&c", "", {{"a", "b"}, {"c"}}},
      {"&a", "", {{"a"}}},
      {"Mac\\|Life", "Mac|Life", {}},
      {"a & b", "a ", {{" b"}}},
      {"stuff &bongo", "stuff ", {{"bongo"}}},
      {"a&&b", "a", {{"b"}}},
      {"a&", "a", {}},
      {"a&b|", "a", {{"b"}}},
      {"a&b|&c", "a", {{"b"}, {"c"}}},
      {"&", "", {}},
      {"", "", {}},
      {"a&b|b&b", "a", {{"b", "b"}, {"b"}}},
      {"\\Q", "\"", {}},
      {"a\\Qb&\\Q|x\\Q", "a\"b", {{"\"", "x\""}}},
      {"\\q", "q", {}},
      {"\\\\&x", "\\", {{"x"}}},
      {"\\&a", "&a", {}},
      {"abc\\", "abc", {}},
      {"a&b\\", "a", {{"b"}}},
      {"a&\\", "a", {}},
      {"\"Q\"", "\"Q\"", {}},
      {"\xe9\t&\x80|\xff", "\xe9\t", {{"\x80", "\xff"}}},
      // The restart takes the whole text again, escapes included.
      {"a\\&b|c", "", {{"a&b", "c"}}},
      {"\\Qa|b", "", {{"\"a", "b"}}},
      {"a\\|b|c", "", {{"a|b", "c"}}},
  };
  for (const Row& row : rows) {
    resetExpression();
    EXPECT_EQ(parse(row.text), "") << row.text;
    EXPECT_EQ(Expression.firstTerm, row.firstTerm) << row.text;
    EXPECT_EQ(Expression.groups, row.groups) << row.text;
  }
}

TEST(ParseExpression, MalformedReportsTheTextBeingRead) {
  struct Row {
    const char* text;
    const char* reported;
  };
  const Row rows[] = {
      {"|a", "&|a"},        {"a||b", "&a||b"}, {"||", "&||"},          {"a&|b", "a&|b"},
      {"a&b||c", "a&b||c"}, {"a&|", "a&|"},    {"a&b|c||", "a&b|c||"},
  };
  for (const Row& row : rows) {
    resetExpression();
    EXPECT_EQ(parse(row.text), row.reported) << row.text;
  }
}

TEST(ParseExpression, LeadingBarOnlyInTheFirstParse) {
  resetExpression();
  parse("x");
  EXPECT_EQ(parse("a|b"), "a|b");

  resetExpression();
  parse("a|b");
  EXPECT_EQ(parse("c|d"), "c|d");

  resetExpression();
  parse("x\\");
  EXPECT_EQ(parse("a|b"), "a|b");

  // An empty text reaches no operator, so a bar may still lead the next one.
  resetExpression();
  parse("");
  EXPECT_FALSE(operatorSeen);
  EXPECT_EQ(parse("a|b"), "");
  EXPECT_EQ(Expression.groups, (Groups{{"a", "b"}}));
}

TEST(ParseExpression, LaterParseReplaces) {
  resetExpression();
  parse("x&y|z");
  parse("p&q");
  EXPECT_EQ(Expression.firstTerm, "p");
  EXPECT_EQ(Expression.groups, (Groups{{"q"}}));

  // An empty text clears the groups and keeps the first term.
  parse("");
  EXPECT_EQ(Expression.firstTerm, "p");
  EXPECT_TRUE(Expression.groups.empty());
}

}  // namespace
