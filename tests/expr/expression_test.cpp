#include "expr/expression.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Groups = std::vector<std::vector<std::string>>;

struct Row {
  const char* earlier;  // an expression parsed before, as by an earlier "-:" option; or null
  const char* text;
  const char* badText;  // the text reported as malformed; null when the text parses
  std::string firstTerm;
  Groups groups;
};

TEST(ParseExpressionText, TermsGroupsAndMalformedTexts) {
  const Row rows[] = {
      {nullptr, "a&b&c|d", nullptr, "a", {{"b"}, {"c", "d"}}},
      {nullptr, "a|b", nullptr, "", {{"a", "b"}}},
      {nullptr, "a & b", nullptr, "a ", {{" b"}}},
      {nullptr, "a&&b", nullptr, "a", {{"b"}}},
      {nullptr, "a&", nullptr, "a", {}},
      {nullptr, "a&b|", nullptr, "a", {{"b"}}},
      {nullptr, "a&b|b&b", nullptr, "a", {{"b", "b"}, {"b"}}},
      {nullptr, "&", nullptr, "", {}},
      {nullptr, "Mac\\|Life&x\\&y", nullptr, "Mac|Life", {{"x&y"}}},
      {nullptr, "\\Qhi\\Q\\q", nullptr, "\"hi\"q", {}},
      {nullptr, "\\\\&b", nullptr, "\\", {{"b"}}},
      {nullptr, "abc\\", nullptr, "abc", {}},
      {nullptr, "|a", "&|a", "", {}},
      {nullptr, "a||b", "&a||b", "", {}},
      {nullptr, "a&|b", "a&|b", "", {}},
      {"x", "a|b", "a|b", "x", {}},
      {"x&y", "p&q", nullptr, "p", {{"q"}}},
      {"x&y", "", nullptr, "x", {}},
  };
  for (const Row& row : rows) {
    ExpressionParser parser;
    std::string badText;
    if (row.earlier != nullptr) {
      ASSERT_TRUE(parseExpressionText(row.earlier, parser, badText));
    }
    bool parsed = parseExpressionText(row.text, parser, badText);
    EXPECT_EQ(parsed, row.badText == nullptr) << row.text;
    if (!parsed) {
      EXPECT_EQ(badText, row.badText) << row.text;
      continue;
    }
    EXPECT_EQ(parser.expression.firstTerm, row.firstTerm) << row.text;
    EXPECT_EQ(parser.expression.groups, row.groups) << row.text;
  }
}

}  // namespace
