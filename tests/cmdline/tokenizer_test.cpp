#include "cmdline/tokenizer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The arguments after the program name.
std::vector<std::string> split(const char* text) {
  ArgumentTable table = splitCommandText(text, "skern");
  return std::vector<std::string>(table.begin() + 1, table.end());
}

struct Row {
  const char* raw;
  std::vector<std::string> arguments;
};

TEST(SplitCommandText, QuoteRules) {
  const Row rows[] = {
      {"skern a \"b c\" d", {"a", "b c", "d"}},
      {"skern ab\"cd", {"ab", "cd"}},
      {"skern \"ab\"cd", {"ab", "cd"}},
      {"skern \"\"ab", {"\"ab"}},
      {"skern a\"\"b", {"a\"b"}},
      {"skern \"a\"\"b c\"", {"a\"b c"}},
      {"skern \"\"\"ab c\"", {"\"ab c"}},
      {"skern ab\"\"\" x", {"ab\"", "x"}},
      {"skern \"\" x", {"\"", "x"}},
      {"skern -p\"C:\\Program Files\"", {"-p", "C:\\Program", "Files"}},
      {"skern \"-pC:\\Program Files\"", {"-pC:\\Program Files"}},
      {"skern x \"", {"x", ""}},
      {"skern a\tb", {"a", "b"}},
      {"skern \x01\x02 a\x01z", {"a\x01z"}},
      {"skern a\nb", {"a", "b"}},
      {"skern a \n b", {"a"}},
      {"skern a \t ", {"a"}},  // blanks at the end, as a console line often has
      {"skern \"a\nb\"", {"a\nb"}},
      {"skern \"Mac\\|Life\"", {"Mac\\|Life"}},
      {"skern \"unclosed text", {"unclosed text"}},
      {"skern \xe9t\xe9", {"\xe9t\xe9"}},
  };
  for (const Row& row : rows) EXPECT_EQ(split(row.raw), row.arguments) << row.raw;
}

}  // namespace
