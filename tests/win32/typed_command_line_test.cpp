// skern.exe started with exact command lines: the text reaches GetCommandLineA as typed and is
// split by skern's own quote rules.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "win32/raw_run.h"

namespace {

// The patterns of the recursion messages in `err`, in order: the targets that the command
// line gave.
std::vector<std::string> recursionPatterns(const std::string& err) {
  const std::string lead = "skern:findrecurse(\"";
  std::vector<std::string> patterns;
  for (std::size_t at = err.find(lead); at != std::string::npos; at = err.find(lead, at + 1)) {
    std::size_t start = at + lead.size();
    patterns.push_back(err.substr(start, err.find("\"):recursion", start) - start));
  }
  return patterns;
}

struct SplitCase {
  const char* typed;
  std::vector<std::string> targets;
};

// Every argument after -: goes to the target list, so the recursion messages show the split.
const SplitCase kSplitCases[] = {
    {"a \"b c\" d", {"a", "b c", "d"}},
    {"ab\"cd", {"ab", "cd"}},
    {"\"ab\"cd", {"ab", "cd"}},
    {"\"\"ab", {"\"ab"}},
    {"a\"\"b", {"a\"b"}},
    {"\"a\"\"b c\"", {"a\"b c"}},
    {"\"\"\"ab c\"", {"\"ab c"}},
    {"ab\"\"\" x", {"ab\"", "x"}},
    {"\"\" x", {"\"", "x"}},
    {"-p\"C:\\Program Files\"", {"C:\\Program", "Files"}},
    {"\"-pC:\\Program Files\" t", {"C:\\Program Files\\t"}},
    {"x \"", {"x", ""}},
    {"a\tb", {"a", "b"}},
    {"a \x01 b", {"a", "b"}},
    {"a\x01z", {"a\x01z"}},
    {"a\nb", {"a", "b"}},
    {"a \nb", {"a"}},
    {"C:\\x\\ \"y\\\" z", {"C:\\x\\", "y\\", "z"}},
};

TEST(TypedCommandLine, SplitByQuoteRules) {
  TempTree tree;
  for (const SplitCase& c : kSplitCases) {
    RunResult r = runCommandLine("-v -:x " + std::string(c.typed), tree.root());
    EXPECT_EQ(recursionPatterns(r.err), c.targets) << c.typed;
    EXPECT_EQ(r.status, 1) << c.typed;
  }
}

TEST(TypedCommandLine, SlashIsAnOptionLeadIn) {
  TempTree tree;
  tree.write("a.txt", "  Stuff here\n");
  tree.write("-y", "stuff\n");
  struct Row {
    const char* typed;
    int status;
    const char* out;  // after the header, or the whole output for the usage text
  } rows[] = {
      {"/c- Stuff a.txt", 0, "    Stuff here\r\n"},
      {"/i- stuff a.txt", 1, ""},
      {"/n Stuff a.txt", 0, " 1:Stuff here\r\n"},
      // Once '/' leads options in, an argument that begins with '-' is plain.
      {"/i stuff -y", 0, " stuff\r\n"},
      {"-n /c- Stuff a.txt", 0, "  1:  Stuff here\r\n"},
  };
  for (const Row& row : rows) {
    RunResult r = runCommandLine(row.typed, tree.root());
    EXPECT_EQ(r.status, row.status) << row.typed;
    std::size_t header = r.out.find("::::::::: ");
    std::size_t after = r.out.find("\r\n", header == std::string::npos ? 0 : header);
    std::string hits = header == std::string::npos ? r.out : r.out.substr(after + 2);
    EXPECT_EQ(hits, row.out) << row.typed;
  }
  // "/tmp" is the option t; no target is left, so the usage text ends the run.
  RunResult r = runCommandLine("stuff /tmp", tree.root());
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.out.rfind("skern \"stuff\" afn [afn...] (AFN => bingo*.cpp etc.)\r\n", 0), 0u);
  EXPECT_NE(r.out.find("\r\n-z.exe.dll.zip.obj.ao. Skip binary extensions.\r\n"),
            std::string::npos);
}

TEST(TypedCommandLine, QuotedPrefixPathWithASpace) {
  TempTree tree;
  tree.write("my dir/a.txt", "stuff\n");
  const std::string header = "\r\n::::::::: " + tree.root() + "\\my dir\\a.txt\r\n stuff\r\n";
  RunResult relative = runCommandLine("stuff \"-pmy dir\" a.txt", tree.root());
  EXPECT_EQ(relative.out, header);
  RunResult absolute = runCommandLine("stuff \"-p" + tree.root() + "\\my dir\\\" a.txt", "C:\\");
  EXPECT_EQ(absolute.out, header);
  // Unquoted, the path ends at the space and "dir" becomes a target behind the prefix.
  RunResult split = runCommandLine("-v stuff -pmy dir a.txt", tree.root());
  EXPECT_EQ(recursionPatterns(split.err), (std::vector<std::string>{"my\\dir", "my\\a.txt"}));
}

TEST(TypedCommandLine, DriveQualifiedPatterns) {
  TempTree tree;
  tree.write("a.txt", "stuff\n");
  tree.write("sub/b.txt", "stuff\n");
  std::string root = tree.root();
  std::string slashed = root;
  for (char& c : slashed) {
    if (c == '\\') c = '/';
  }
  const std::string a = "\r\n::::::::: " + root + "\\a.txt\r\n stuff\r\n";
  const std::string b = "\r\n::::::::: " + root + "\\sub\\b.txt\r\n stuff\r\n";
  struct Row {
    std::string typed;
    std::string out;
  } rows[] = {
      {"stuff " + root + "\\*.txt", a},
      {"stuff " + slashed + "/*.TXT", a},
      {"-s stuff " + root + "\\*.txt", a + b},
      {"stuff " + root + "\\sub\\b.txt " + root + "\\a.txt", b + a},
      {"stuff -p" + root + " sub\\*.txt", b},
  };
  for (const Row& row : rows) {
    RunResult r = runCommandLine(row.typed, "C:\\");
    EXPECT_EQ(r.out, row.out) << row.typed;
    EXPECT_EQ(r.status, 0) << row.typed;
  }
}

TEST(TypedCommandLine, RecursionMessagesUseBackslashes) {
  TempTree tree;
  tree.write("a.txt", "none\n");
  tree.write("sub/b.txt", "none\n");
  tree.write("sub/x/c.log", "none\n");
  tree.write("zed/d.txt", "none\n");
  const std::string root = tree.root();
  RunResult r = runCommandLine("-v -s stuff *.txt", root);
  EXPECT_EQ(r.err,
            "skern:findrecurse(\"*.txt\"):recursion 0\r\n"
            "skern:skern():opened \"" +
                root +
                "\\a.txt\"\r\n"
                "skern:findrecurse(\"sub\\*.txt\"):recursion 1\r\n"
                "skern:skern():opened \"" +
                root +
                "\\sub\\b.txt\"\r\n"
                "skern:findrecurse(\"sub\\x\\*.txt\"):recursion 2\r\n"
                "skern:findify():\"sub\\x\\*.txt\" not found.\r\n"
                "skern:findrecurse(\"zed\\*.txt\"):recursion 1\r\n"
                "skern:skern():opened \"" +
                root +
                "\\zed\\d.txt\"\r\n"
                "skern:main():nothing found\r\n");
  EXPECT_EQ(r.status, 1);
  // A directory part that ends in a slash gets a backslash after it.
  RunResult slash = runCommandLine("-v -s stuff sub/*.txt", root);
  EXPECT_EQ(recursionPatterns(slash.err),
            (std::vector<std::string>{"sub/*.txt", "sub/\\x\\*.txt"}));
  EXPECT_NE(slash.err.find("opened \"" + root + "\\sub\\b.txt\""), std::string::npos);
}

TEST(TypedCommandLine, HiddenAndSystemFilesArePassedOver) {
  TempTree tree;
  for (const char* name : {"vis.txt", ".dot.txt", "h.txt", "s.txt", ".hd/in.txt", "hd2/in.txt"}) {
    tree.write(name, "stuff\n");
  }
  const std::string root = tree.root();
  ASSERT_TRUE(SetFileAttributesA((root + "\\h.txt").c_str(), FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(SetFileAttributesA((root + "\\s.txt").c_str(), FILE_ATTRIBUTE_SYSTEM));
  ASSERT_TRUE(SetFileAttributesA((root + "\\hd2").c_str(),
                                 FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN));
  RunResult r = runCommandLine("-s stuff *.txt", root);
  EXPECT_EQ(r.out, "\r\n::::::::: " + root +
                       "\\vis.txt\r\n stuff\r\n"
                       "\r\n::::::::: " +
                       root +
                       "\\.hd\\in.txt\r\n stuff\r\n"
                       "\r\n::::::::: " +
                       root + "\\hd2\\in.txt\r\n stuff\r\n");
  // Named exactly, a hidden file still counts as not found.
  RunResult exact = runCommandLine("-v stuff .dot.txt", root);
  EXPECT_NE(exact.err.find("skern:findify():\".dot.txt\" not found.\r\n"), std::string::npos);
  EXPECT_EQ(exact.status, 1);
}

TEST(TypedCommandLine, KeyWaitEndsAtOnceWithoutAConsole) {
  TempTree tree;
  RunResult r = runCommandLine("-k stuff a.txt", tree.root());
  EXPECT_EQ(r.err, "(press a key)");
  EXPECT_EQ(r.status, 1);
}

}  // namespace
