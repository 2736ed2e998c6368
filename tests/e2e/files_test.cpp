#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "e2e/harness.h"
#include "e2e/messages.h"

namespace {

// The tree's root as skern sees it: the current directory with every link resolved.
std::string realRoot(const TempTree& tree) {
  return std::filesystem::canonical(tree.root()).string();
}

void link(const TempTree& tree, const std::string& target, const std::string& relative) {
  ASSERT_EQ(symlink(target.c_str(), (tree.root() + "/" + relative).c_str()), 0) << relative;
}

void fifo(const TempTree& tree, const std::string& relative) {
  ASSERT_EQ(mkfifo((tree.root() + "/" + relative).c_str(), 0644), 0) << relative;
}

TEST(Recursion, DepthFirstFilesBeforeSubdirectories) {
  TempTree tree;
  tree.write("top.txt", "hit top\n");
  tree.write("z.txt", "nothing\n");
  tree.write("a/other.c", "hit other\n");
  tree.write("a/x/deep.txt", "hit deep\n");
  tree.mkdir("b");
  std::string root = realRoot(tree);
  RunResult r = runSkern({"-v", "-s", "hit", "*.txt"}, tree.root());
  EXPECT_EQ(r.err, recursion("*.txt", 0) + scanned("opened", root + "/top.txt") +
                       scanned("opened", root + "/z.txt") + recursion("a/*.txt", 1) +
                       notFound("a/*.txt") + recursion("a/x/*.txt", 2) +
                       scanned("opened", root + "/a/x/deep.txt") + recursion("b/*.txt", 1) +
                       notFound("b/*.txt"));
  EXPECT_EQ(r.out, header(root + "/top.txt") + " hit top\n" + header(root + "/a/x/deep.txt") +
                       " hit deep\n");
  EXPECT_EQ(r.status, 0);
}

TEST(Recursion, WithoutRecursionOneMessageAtDepthZero) {
  TempTree tree;
  tree.write("a/in.txt", "hit\n");
  RunResult r = runSkern({"-v", "hit", "*.txt", "a/*.txt"}, tree.root());
  std::string root = realRoot(tree);
  EXPECT_EQ(r.err, recursion("*.txt", 0) + notFound("*.txt") + recursion("a/*.txt", 0) +
                       scanned("opened", root + "/a/in.txt"));
  EXPECT_EQ(r.out, header(root + "/a/in.txt") + " hit\n");
}

TEST(Listing, EntriesSortedByFoldedName) {
  TempTree tree;
  for (const char* name :
       {"bravo.txt", "_under.txt", "Alpha.txt", "1num.txt", "adir/f.txt", "Bdir/f.txt"}) {
    tree.write(name, "w\n");
  }
  std::string root = realRoot(tree);
  RunResult r = runSkern({"-s", "w", "*.txt"}, tree.root());
  std::string expected;
  for (const char* name :
       {"1num.txt", "Alpha.txt", "bravo.txt", "_under.txt", "adir/f.txt", "Bdir/f.txt"}) {
    expected += header(root + "/" + name) + " w\n";
  }
  EXPECT_EQ(r.out, expected);
  EXPECT_EQ(r.err, "");
}

TEST(Listing, HiddenFilesNeverScannedHiddenDirectoriesEntered) {
  TempTree tree;
  tree.write(".h.txt", "w hidden\n");
  tree.write(".hid/z.txt", "w inside\n");
  tree.write(".hid/.deeper.txt", "w deeper\n");
  std::string root = realRoot(tree);
  RunResult named = runSkern({"-v", "w", ".h.txt"}, tree.root());
  EXPECT_EQ(named.out, "");
  EXPECT_EQ(named.err,
            recursion(".h.txt", 0) + notFound(".h.txt") + "skern:main():nothing found\n");
  EXPECT_EQ(named.status, 1);
  RunResult wild = runSkern({"-s", "w", "*"}, tree.root());
  EXPECT_EQ(wild.out, header(root + "/.hid/z.txt") + " w inside\n");
  EXPECT_EQ(wild.status, 0);
}

TEST(Listing, DirectoryMatchingThePatternIsNotAFile) {
  TempTree tree;
  tree.write("x.txt/in.txt", "w\n");
  std::string root = realRoot(tree);
  RunResult flat = runSkern({"-v", "w", "*.txt"}, tree.root());
  EXPECT_EQ(flat.err, recursion("*.txt", 0) + notFound("*.txt") + "skern:main():nothing found\n");
  RunResult deep = runSkern({"-v", "-s", "w", "*.txt"}, tree.root());
  EXPECT_EQ(deep.err, recursion("*.txt", 0) + notFound("*.txt") + recursion("x.txt/*.txt", 1) +
                          scanned("opened", root + "/x.txt/in.txt"));
  EXPECT_EQ(deep.out, header(root + "/x.txt/in.txt") + " w\n");
}

TEST(Listing, FifosAndDanglingLinksPassedOverLinkedFilesScanned) {
  TempTree tree;
  tree.write("real.txt", "w real\n");
  tree.mkdir("sub");
  fifo(tree, "pipe.txt");
  fifo(tree, "sub/pipe.txt");
  link(tree, "pipe.txt", "to_pipe.txt");
  link(tree, "nowhere", "dangling.txt");
  link(tree, "real.txt", "linked.txt");
  std::string root = realRoot(tree);
  RunResult r = runSkern({"-v", "-s", "w", "*.txt"}, tree.root());
  EXPECT_EQ(r.err, recursion("*.txt", 0) + scanned("opened", root + "/linked.txt") +
                       scanned("opened", root + "/real.txt") + recursion("sub/*.txt", 1) +
                       notFound("sub/*.txt"));
  EXPECT_EQ(r.out,
            header(root + "/linked.txt") + " w real\n" + header(root + "/real.txt") + " w real\n");
  RunResult named = runSkern({"-v", "w", "pipe.txt", "dangling.txt"}, tree.root());
  EXPECT_EQ(named.err, recursion("pipe.txt", 0) + notFound("pipe.txt") +
                           recursion("dangling.txt", 0) + notFound("dangling.txt") +
                           "skern:main():nothing found\n");
}

TEST(Listing, LinkLoopsEnd) {
  TempTree tree;
  tree.write("dir/f.txt", "w\n");
  link(tree, "..", "dir/loop");
  std::string root = realRoot(tree);
  RunResult r = runSkern({"-v", "-s", "w", "*.txt"}, tree.root());
  EXPECT_EQ(r.err, recursion("*.txt", 0) + notFound("*.txt") + recursion("dir/*.txt", 1) +
                       scanned("opened", root + "/dir/f.txt"));
  EXPECT_EQ(r.out, header(root + "/dir/f.txt") + " w\n");
  EXPECT_EQ(r.status, 0);
}

TEST(Listing, DirectoryLinksEnteredUnlessAlreadyOnTheWayDown) {
  TempTree tree;
  tree.write("d/f.txt", "w\n");
  link(tree, ".", "d/self");
  link(tree, "d", "lnk");
  std::string root = realRoot(tree);
  RunResult r = runSkern({"-v", "-s", "w", "*.txt"}, tree.root());
  EXPECT_EQ(r.err, recursion("*.txt", 0) + notFound("*.txt") + recursion("d/*.txt", 1) +
                       scanned("opened", root + "/d/f.txt") + recursion("lnk/*.txt", 1) +
                       scanned("opened", root + "/lnk/f.txt"));
  EXPECT_EQ(r.out, header(root + "/d/f.txt") + " w\n" + header(root + "/lnk/f.txt") + " w\n");
}

TEST(FileScan, CurrentPathIsTheFullPath) {
  TempTree tree;
  tree.write("b.txt", "w\n");
  tree.mkdir("sub");
  std::string root = realRoot(tree);
  for (const std::string& pattern :
       {std::string("./sub/../b.txt"), std::string("sub//../b.txt"), std::string("b.txt"),
        root + "/b.txt", root + "/sub/./../b.txt"}) {
    RunResult r = runSkern({"-v", "w", pattern}, tree.root());
    EXPECT_EQ(r.err, recursion(pattern, 0) + scanned("opened", root + "/b.txt")) << pattern;
    EXPECT_EQ(r.out, header(root + "/b.txt") + " w\n") << pattern;
  }
}

TEST(FileScan, SameFileTwiceWhenNamedTwice) {
  TempTree tree;
  tree.write("b.txt", "w\n");
  std::string root = realRoot(tree);
  RunResult r = runSkern({"w", "b.txt", "b.txt"}, tree.root());
  EXPECT_EQ(r.out, header(root + "/b.txt") + " w\n" + header(root + "/b.txt") + " w\n");
}

TEST(FileScan, ExtensionSkipList) {
  TempTree tree;
  for (const char* name :
       {"a.EXE", "b.Dll", "c.tar.zip", "d.ex", "e.exe2", "f.zip.txt", "g", "dir.exe/h"}) {
    tree.write(name, "w\n");
  }
  std::string root = realRoot(tree);
  std::string scannedFiles;
  for (const char* name : {"d.ex", "e.exe2", "f.zip.txt", "g", "dir.exe/h"}) {
    scannedFiles += header(root + "/" + name) + " w\n";
  }
  RunResult skipping = runSkern({"-ve", "-s", "w", "*"}, tree.root());
  EXPECT_EQ(skipping.err, scanned("extension skipped", root + "/a.EXE") +
                              scanned("extension skipped", root + "/b.Dll") +
                              scanned("extension skipped", root + "/c.tar.zip"));
  EXPECT_EQ(skipping.out, scannedFiles);
  RunResult none = runSkern({"-ve", "-s", "-z-", "w", "*"}, tree.root());
  EXPECT_EQ(none.err, "");
  EXPECT_EQ(none.out, header(root + "/a.EXE") + " w\n" + header(root + "/b.Dll") + " w\n" +
                          header(root + "/c.tar.zip") + " w\n" + scannedFiles);
}

TEST(FileScan, TextModeAndBinaryTestThroughTheReader) {
  TempTree tree;
  tree.write("c20.txt", std::string(20, '\x01') + "w\n" + std::string(200, 'a'));
  tree.write("c19.txt", std::string(19, '\x01') + "w\n" + std::string(200, 'a'));
  std::string crlf;
  for (int i = 0; i < 100; ++i) crlf += "w\r\n";
  tree.write("crlf.txt", crlf);
  tree.write("eof.txt", "w before\n\x1Aw after\n");
  tree.write("nul.txt", std::string("x") + '\0' + std::string(30, '\x01') + "w\nw seen\n" +
                            std::string(200, 'a') + "\n");
  std::string root = realRoot(tree);
  RunResult r = runSkern({"-ve", "-b10", "-n", "w", "*.txt"}, tree.root());
  EXPECT_EQ(r.err, scanned("binary skipped", root + "/c20.txt"));
  std::string crlfHits;
  for (int i = 1; i <= 100; ++i) crlfHits.append(" ").append(std::to_string(i)).append(":w\n");
  EXPECT_EQ(r.out, header(root + "/c19.txt") + " 1:" + std::string(19, '\x01') + "w\n" +
                       header(root + "/crlf.txt") + crlfHits + header(root + "/eof.txt") +
                       " 1:w before\n" + header(root + "/nul.txt") + " 2:w seen\n");
}

// Files are looked through in large reads before they are held whole; what text mode does
// and where the reads divide the file must not hide a line.
TEST(FileScan, FirstTermFoundWhereverReadsDivideTheFile) {
  TempTree tree;
  auto lines = [](std::size_t bytes) {
    std::string s;
    while (s.size() < bytes) s += "x\n";
    return s;
  };
  const std::size_t read = 1 << 18;
  tree.write("a_cr.txt", "ab\rcd\n");
  tree.write("b_eof.txt",
             "x\x1A"
             "abcd\n");
  tree.write("c_split.txt", lines(read - 2) + "ABcd\n");
  tree.write("d_crsplit.txt", lines(read - 2) + "ab\rcd\n");
  const std::size_t far = 3 * read + (4 << 20);
  tree.write("e_far.txt", lines(far).append("abcd\n"));
  tree.write("f_mid.txt", lines(2 << 20).append("abcd\n").append(lines(2 * read)));
  std::string root = realRoot(tree);
  RunResult r = runSkern({"-n", "abcd", "*.txt"}, tree.root());
  auto numbered = [](std::size_t line) {
    return std::string(" ").append(std::to_string(line)).append(":");
  };
  EXPECT_EQ(r.out, header(root + "/a_cr.txt") + " 1:abcd\n" + header(root + "/c_split.txt") +
                       numbered((read - 2) / 2 + 1) + "ABcd\n" + header(root + "/d_crsplit.txt") +
                       numbered((read - 2) / 2 + 1) + "abcd\n" + header(root + "/e_far.txt") +
                       numbered(far / 2 + 1) + "abcd\n" + header(root + "/f_mid.txt") +
                       numbered((2 << 20) / 2 + 1) + "abcd\n");
  EXPECT_EQ(r.status, 0);
}

// While it lives, skern runs without the power to read files regardless of their permissions,
// so that root (who has that power) meets a file it cannot open.
class WithoutReadOverride {
 public:
  explicit WithoutReadOverride(const TempTree& scratch) {
    const char* before = std::getenv("SKERN_UNDER_TEST");
    if (before != nullptr) saved_ = before;
    hadOverride_ = before != nullptr;
    std::string wrapper = scratch.root() + "/skern-without-dac";
    scratch.write("skern-without-dac",
                  "#!/bin/sh\nexec setpriv --bounding-set -dac_override,-dac_read_search '" +
                      skernExecutable() + "' \"$@\"\n");
    chmod(wrapper.c_str(), 0755);
    setenv("SKERN_UNDER_TEST", wrapper.c_str(), 1);
  }
  ~WithoutReadOverride() {
    if (hadOverride_) {
      setenv("SKERN_UNDER_TEST", saved_.c_str(), 1);
    } else {
      unsetenv("SKERN_UNDER_TEST");
    }
  }

 private:
  std::string saved_;
  bool hadOverride_ = false;
};

TEST(FileScan, CouldNotOpen) {
  TempTree tree;
  TempTree scratch;
  tree.write("locked.txt", "w\n");
  tree.write("open.txt", "w\n");
  std::string locked = tree.root() + "/locked.txt";
  ASSERT_EQ(chmod(locked.c_str(), 0), 0);
  std::unique_ptr<WithoutReadOverride> override;
  if (access(locked.c_str(), R_OK) == 0) {
    if (access("/usr/bin/setpriv", X_OK) != 0) GTEST_SKIP() << "a locked file is readable here";
    override = std::make_unique<WithoutReadOverride>(scratch);
  }
  std::string root = realRoot(tree);
  RunResult errors = runSkern({"-ve", "w", "*.txt"}, tree.root());
  EXPECT_EQ(errors.err, scanned("couldn't open", root + "/locked.txt"));
  EXPECT_EQ(errors.out, header(root + "/open.txt") + " w\n");
  RunResult all = runSkern({"-v", "w", "*.txt"}, tree.root());
  EXPECT_EQ(all.err, recursion("*.txt", 0) + scanned("couldn't open", root + "/locked.txt") +
                         scanned("opened", root + "/open.txt"));
  // Files that could not be opened do not count for the progress indicator.
  for (int i = 0; i < 255; ++i)
    tree.write(std::string("f").append(std::to_string(i)).append(".txt"), "");
  EXPECT_EQ(runSkern({"w", "*.txt"}, tree.root()).err, "skern:256\r");
  ASSERT_EQ(chmod((tree.root() + "/open.txt").c_str(), 0), 0);
  EXPECT_EQ(runSkern({"w", "*.txt"}, tree.root()).err, "");
}

// One file of each fate, in the order: skipped by extension, binary, with a hit, no match.
TEST(Diagnostics, EachVerbosityOnEachStream) {
  TempTree tree;
  tree.write("a.exe", "w\n");
  tree.write("bin.txt", std::string(30, '\x01') + "w\n" + std::string(200, 'a'));
  tree.write("b.txt", "w\n");
  std::string root = realRoot(tree);
  std::string skipped = scanned("extension skipped", root + "/a.exe");
  std::string binary = scanned("binary skipped", root + "/bin.txt");
  std::string hit = header(root + "/b.txt") + " w\n";
  std::string full = recursion("a.exe", 0) + skipped + recursion("bin.txt", 0) +
                     scanned("opened", root + "/bin.txt") + binary + recursion("b.txt", 0) +
                     scanned("opened", root + "/b.txt");
  std::string tail = recursion("none.q", 0) + notFound("none.q");
  struct Row {
    std::vector<std::string> options;
    std::string out;
    std::string err;
  };
  const Row rows[] = {
      {{}, hit, ""},
      {{"-v"}, hit, full + tail},
      {{"-vs"}, full + hit + tail, ""},
      {{"-ve"}, hit, skipped + binary},
      {{"-vse"}, skipped + binary + hit, ""},
      {{"-ves"}, skipped + binary + hit, ""},
      {{"-v", "-j"}, hit, full + tail},
      {{"-ve", "-j"}, hit, skipped + binary},
      {{"-vs", "-v"}, hit, full + tail},
      {{"-v", "-v-"}, hit, ""},
  };
  for (const Row& row : rows) {
    std::vector<std::string> arguments = row.options;
    for (const char* argument : {"-b10", "w", "a.exe", "bin.txt", "b.txt", "none.q"}) {
      arguments.push_back(argument);
    }
    RunResult r = runSkern(arguments, tree.root());
    std::string label = row.options.empty() ? "(none)" : row.options[0];
    if (row.options.size() > 1) label += " " + row.options[1];
    EXPECT_EQ(r.out, row.out) << label;
    EXPECT_EQ(r.err, row.err) << label;
    EXPECT_EQ(r.status, 0) << label;
  }
}

TEST(Diagnostics, ProgressIndicatorEvery256OpenedFiles) {
  TempTree tree;
  for (int i = 0; i < 256; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "f%03d.txt", i);
    tree.write(name, "");
  }
  tree.write("skip.exe", "");
  struct Row {
    std::vector<std::string> arguments;
    std::string err;
  };
  const Row rows[] = {
      {{"w", "f*.txt"}, "skern:256\r"},
      {{"w", "f*.txt", "f000.txt"}, "skern:256\r"},
      {{"w", "f00*.txt", "f*.txt"}, "skern:256\r"},  // counted over all targets
      {{"w", "f0*.txt", "f1*.txt", "nomatch*.txt", "skip.exe", "f20*.txt", "f21*.txt", "f22*.txt",
        "f23*.txt", "f24*.txt", "f250.txt", "f251.txt", "f252.txt", "f253.txt", "f254.txt"},
       ""},  // 255 opened; the skipped file and the pattern that finds nothing do not count
      {{"-ve", "-j", "w", "f*.txt"}, "skern:256\r"},
      {{"-j-", "w", "f*.txt"}, ""},
      {{"-ve", "w", "f*.txt"}, ""},
  };
  for (const Row& row : rows) {
    RunResult r = runSkern(row.arguments, tree.root());
    EXPECT_EQ(r.err, row.err) << row.arguments[0] << " " << row.arguments[1];
    EXPECT_EQ(r.status, 1);
  }
  // Switched off after -vs, the messages stay on standard output, and so does the indicator.
  RunResult quiet = runSkern({"-vs", "-v-", "-j", "w", "f*.txt"}, tree.root());
  EXPECT_EQ(quiet.out, "skern:256\r");
  EXPECT_EQ(quiet.err, "");
  RunResult verbose = runSkern({"-v", "-j", "w", "f*.txt"}, tree.root());
  EXPECT_EQ(verbose.err.find("skern:256"), std::string::npos);
  EXPECT_EQ(verbose.out, "");
}

}  // namespace
