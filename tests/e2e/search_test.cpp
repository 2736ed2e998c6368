#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "e2e/harness.h"

namespace {

// A tree of a few files, searched from its root.
class Search : public testing::Test {
 protected:
  void SetUp() override {
    tree.write("a.txt", "stuff bongo\nstuff only\n  bingo stuff\n");
    tree.write("b.txt", "nothing here\n");
    tree.write("sub/c.txt", "\tstuff and BINGO\n");
    tree.write("sub/d.log", "stuff bongo\n");
    tree.write("w.dat", "alpha\nbeta stuff\ngamma\n");
  }

  // The header written before the first hit of `relative`.
  std::string header(const std::string& relative) const {
    return "\n::::::::: " + std::filesystem::canonical(tree.root()).string() + "/" + relative +
           "\n";
  }

  RunResult run(const std::vector<std::string>& arguments) const {
    return runSkern(arguments, tree.root());
  }

  TempTree tree;
};

// long.txt (long and 78 x) at margin 10: 10 characters, then eight continuations of 9.
std::string wrappedAt10() {
  std::string out = " long" + std::string(6, 'x') + "\n";
  for (int i = 0; i < 8; ++i) out += "  " + std::string(9, 'x') + "\n";
  return out;
}

struct SearchCase {
  const char* name;
  std::vector<std::string> arguments;
  std::vector<std::pair<std::string, std::string>> hits;  // file, then its hits as written
};

// Names the case in failure messages.
void PrintTo(const SearchCase& c, std::ostream* os) {
  *os << c.name;
}

// clang-format off
const SearchCase kCases[] = {
    {"AlternativesRecursive", {"stuff&bongo|bingo", "-s", "*.txt"},
     {{"a.txt", " stuff bongo\n bingo stuff\n"}, {"sub/c.txt", " stuff and BINGO\n"}}},
    {"LineNumbers", {"stuff&bongo|bingo", "-n", "*.txt"},
     {{"a.txt", " 1:stuff bongo\n 3:bingo stuff\n"}}},
    {"Dump", {"stuff&bongo|bingo", "-c-", "-s", "*.txt"},
     {{"a.txt", "  stuff bongo\n    bingo stuff\n"}, {"sub/c.txt", "  \tstuff and BINGO\n"}}},
    {"DumpNumbered", {"-c-", "-n", "stuff", "a.txt"},
     {{"a.txt", "  1:stuff bongo\n  2:stuff only\n  3:  bingo stuff\n"}}},
    {"LineWindowShown", {"stuff&gamma", "-+1", "-a", "w.dat"},
     {{"w.dat", " 2:alpha|beta stuff|gamma\n"}}},
    {"LineWindowTruncatedAfterA", {"stuff&gamma", "-+1", "-a", "-t+", "w.dat"},
     {{"w.dat", " 2:alpha\n"}}},
    {"LineWindowNotShownWithoutA", {"stuff&gamma", "-+1", "w.dat"}, {{"w.dat", " beta stuff\n"}}},
    {"LineWindowDump", {"stuff&gamma", "-+1", "-a", "-c-", "w.dat"},
     {{"w.dat", "  2:alpha\nbeta stuff\ngamma\n"}}},
    // -#6 reaches from the line feed of line 1 to the g of gamma.
    {"CharWindowShown", {"stuff&gamma", "-#6", "-a", "w.dat"}, {{"w.dat", " 2:beta stuff|gamma\n"}}},
    {"CharWindowDump", {"stuff&gamma", "-#6", "-a", "-c-", "w.dat"},
     {{"w.dat", "  2:\nbeta stuff\ngamma"}}},
    {"CharWindowTooShort", {"stuff&gamma", "-#3", "-a", "w.dat"}, {}},
    // -w -#6: gamma ends 6 bytes after stuff; the line feed beyond it ends the word.
    {"WordsCharWindow", {"-w", "stuff&gamma", "-#6", "w.dat"}, {{"w.dat", " beta stuff\n"}}},
    {"WordsCharWindowShort", {"-w", "stuff&gamma", "-#5", "w.dat"}, {}},
    {"Words", {"-w", "foo", "f.txt"}, {{"f.txt", " foobar foo\n Foo\n"}}},
    {"CaseSensitive", {"-i-", "Foo", "f.txt"}, {{"f.txt", " Foo\n"}}},
    {"CaseFolded", {"Foo", "f.txt"}, {{"f.txt", " foobar foo\n foobarx\n Foo\n"}}},
    {"Truncated", {"-t", "long", "long.txt"}, {{"long.txt", " long" + std::string(74, 'x') + "\n"}}},
    {"Margin", {"-r10", "long", "long.txt"}, {{"long.txt", wrappedAt10()}}},
    // A leading bar: an empty first term, every line a candidate.
    {"LeadingBar", {"bongo|bingo", "a.txt", "sub/c.txt"},
     {{"a.txt", " stuff bongo\n bingo stuff\n"}, {"sub/c.txt", " stuff and BINGO\n"}}},
    {"LeadingBarWithGroup", {"only|bingo&stuff", "a.txt"}, {{"a.txt", " stuff only\n bingo stuff\n"}}},
    {"EmptyExpression", {"-:", "-n", "w.dat", "e.txt"},
     {{"w.dat", " 1:alpha\n 2:beta stuff\n 3:gamma\n"}, {"e.txt", " 1:\n 2:x\n"}}},
    {"ExpressionAfterColon", {"-:-x", "dash.txt"}, {{"dash.txt", " a -x b\n"}}},
    {"TargetTwice", {"gamma", "w.dat", "w.dat"}, {{"w.dat", " gamma\n"}, {"w.dat", " gamma\n"}}},
};
// clang-format on

class SearchCases : public Search, public testing::WithParamInterface<SearchCase> {};

TEST_P(SearchCases, ExactOutput) {
  tree.write("f.txt", "foobar foo\nfoobarx\nFoo\n");
  tree.write("long.txt", "long" + std::string(78, 'x') + "\n");
  tree.write("e.txt", "\nx\n");
  tree.write("dash.txt", "a -x b\nab\n");
  const SearchCase& c = GetParam();
  std::string expected;
  for (const auto& [file, hits] : c.hits) expected += header(file) + hits;
  RunResult r = run(c.arguments);
  EXPECT_EQ(r.out, expected);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.status, c.hits.empty() ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, SearchCases, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<SearchCase>& info) {
                           return std::string(info.param.name);
                         });

TEST_F(Search, BadLeadingBarIsUsage) {
  RunResult r = run({"|a", "a.txt"});
  EXPECT_EQ(r.out.rfind("bad arg: &|a\n", 0), 0u);
  EXPECT_EQ(r.status, 3);
}

TEST_F(Search, CrLfAndEndOfFileByte) {
  tree.write("dos.txt", "one stuff\r\ntwo stuff\r\n\x1Athree stuff\r\n");
  RunResult r = run({"-c-", "stuff", "dos.txt"});
  EXPECT_EQ(r.out, header("dos.txt") + "  one stuff\n  two stuff\n");
  EXPECT_EQ(r.status, 0);
}

}  // namespace
