// Hostile inputs: huge lines, deep and over-long paths, huge patterns and expressions, special
// files, links that lead nowhere or in circles, every byte value, and numbers beyond 32 bits.
// Each run must end with its status and messages, without hanging or growing without bound.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "e2e/harness.h"
#include "e2e/messages.h"

namespace {

// The largest resident size of any child waited for so far, in bytes.
long long peakChildMemory() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  return static_cast<long long>(usage.ru_maxrss) * 1024;
}

TEST(Hostile, HugeLineWithoutLineFeedIsReadInElementsOf999) {
  TempTree tree;
  // 200,201 elements of 999 bytes and no line feed anywhere. The first 200,197 lie in a hole
  // of NUL bytes, which cuts each of them to nothing; the last four are written. "stuff"
  // straddles the border of elements 200,198 and 200,199, where it must not be found, and
  // ends element 200,201, the very end of the file.
  const long long elements = 200201;
  const long long size = elements * 999;
  const long long written = 4 * 999;
  std::string tail(static_cast<std::size_t>(written), 'x');
  tail.replace(999 - 3, 5, "stuff");
  tail.replace(tail.size() - 5, 5, "stuff");
  std::string path = tree.root() + "/big.txt";
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(ftruncate(fd, size - written), 0);
  ASSERT_EQ(pwrite(fd, tail.data(), tail.size(), size - written),
            static_cast<ssize_t>(tail.size()));
  close(fd);

  // The file is held once, in the text its elements share, not once more in its elements.
  // The peak covers every child of this process, so it tells only while earlier ones stayed
  // below the bound (always, when the test runs on its own).
  const long long bound = 2 * size;
  bool measurable = peakChildMemory() < bound;
  RunResult r = runSkern({"-c-", "-n", "stuff", "big.txt"}, tree.root());
  EXPECT_EQ(r.out, header(path) + "  200201:" + tail.substr(tail.size() - 999));
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.status, 0);
  if (measurable) {
    EXPECT_LT(peakChildMemory(), bound);
  }
}

TEST(Hostile, DeepTreeIsSearchedToItsBottom) {
  TempTree tree;
  std::string relative;
  for (int level = 1; level <= 120; ++level) relative += level == 1 ? "d" : "/d";
  tree.write(relative + "/f.txt", "stuff at the bottom\n");
  tree.write(relative.substr(0, 2 * 60 - 1) + "/f.txt", "stuff halfway\n");
  RunResult r = runSkern({"-s", "stuff", "*.txt"}, tree.root());
  EXPECT_EQ(r.out, header(tree.root() + "/" + relative.substr(0, 119) + "/f.txt") +
                       " stuff halfway\n" + header(tree.root() + "/" + relative + "/f.txt") +
                       " stuff at the bottom\n");
  EXPECT_EQ(r.status, 0);

  r = runSkern({"-s", "-v", "nothing", "*.txt"}, tree.root());
  EXPECT_NE(r.err.find(recursion(relative + "/*.txt", 120)), std::string::npos);
  EXPECT_EQ(r.err.find("recursion 121"), std::string::npos);
  EXPECT_EQ(r.status, 1);
}

// Creates the directories of `components` below `root` one at a time (the whole path is too
// long to be named at once) and writes `name` with `text` into the deepest.
void writeDeep(const std::string& root, const std::vector<std::string>& components,
               const std::string& name, const std::string& text) {
  int dir = open(root.c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(dir, 0);
  for (const std::string& component : components) {
    mkdirat(dir, component.c_str(), 0755);
    int next = openat(dir, component.c_str(), O_RDONLY | O_DIRECTORY);
    close(dir);
    ASSERT_GE(next, 0);
    dir = next;
  }
  int fd = openat(dir, name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  close(dir);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
  close(fd);
}

TEST(Hostile, PathsBeyondTheLimitAreSkippedNeverTruncated) {
  TempTree tree;
  // A chain of directories whose absolute path passes 4096 bytes; the first one's length puts
  // the 4095th byte in the middle of a later component.
  const std::string component(200, 'L');
  const std::size_t step = component.size() + 1;
  std::size_t firstLength = (4095 - tree.root().size() + step - 100) % step;  // slash included
  if (firstLength < 2) firstLength += step;
  std::vector<std::string> chain(25, component);
  chain[0] = std::string(firstLength - 1, 'P');
  std::string farPath = tree.root();
  for (const std::string& c : chain) farPath += "/" + c;
  farPath += "/far.txt";
  ASSERT_GT(farPath.size(), 4096u);
  // The far file's path cut to 4095 bytes names this decoy, a file beside the directory.
  std::string cut = farPath.substr(0, 4095);
  std::size_t slash = cut.rfind('/');
  std::string decoyName = cut.substr(slash + 1);
  ASSERT_EQ(decoyName, std::string(99, 'L'));
  std::size_t decoyDepth = std::count(cut.begin() + static_cast<std::ptrdiff_t>(tree.root().size()),
                                      cut.begin() + static_cast<std::ptrdiff_t>(slash), '/');
  std::vector<std::string> decoyChain(chain.begin(), chain.begin() + decoyDepth);
  writeDeep(tree.root(), chain, "far.txt", "stuff far\n");
  writeDeep(tree.root(), decoyChain, decoyName, "stuff decoy\n");
  std::vector<std::string> nearChain(chain.begin(), chain.begin() + 10);
  writeDeep(tree.root(), nearChain, "near.txt", "stuff near\n");
  std::string nearPath = tree.root();
  for (const std::string& c : nearChain) nearPath += "/" + c;
  nearPath += "/near.txt";

  RunResult r = runSkern({"-s", "stuff", "*"}, tree.root());
  EXPECT_EQ(r.out, header(nearPath) + " stuff near\n" + header(cut) + " stuff decoy\n");
  EXPECT_EQ(r.status, 0);

  r = runSkern({"-v", "stuff", farPath}, tree.root());
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, recursion(farPath, 0) + notFound(farPath) + kNothingFound);
  EXPECT_EQ(r.status, 1);
}

TEST(Hostile, HugePatterns) {
  TempTree tree;
  std::string line999(999, 'q');
  tree.write("exact.txt", line999 + "\n");
  tree.write("wide.txt", std::string(20000, 'q') + "\n");
  tree.write("x.txt", "stuff\n");
  struct Row {
    std::vector<std::string> arguments;
    std::string out;
    std::string err;
    int status;
  };
  std::string longStar = std::string(19996, '*') + ".txt";
  std::string longName(20000, 'n');
  const Row rows[] = {
      // A term longer than any element is never found, however long the line.
      {{"-v", std::string(20000, 'q'), "wide.txt"},
       "",
       recursion("wide.txt", 0) + scanned("opened", tree.root() + "/wide.txt") + kNothingFound,
       1},
      // A term of 999 bytes fills an element exactly.
      {{"-c-", line999, "exact.txt"}, header(tree.root() + "/exact.txt") + "  " + line999, "", 0},
      {{"stuff", longStar}, header(tree.root() + "/x.txt") + " stuff\n", "", 0},
      {{"-v", "stuff", longName},
       "",
       recursion(longName, 0) + notFound(longName) + kNothingFound,
       1},
  };
  for (const Row& row : rows) {
    RunResult r = runSkern(row.arguments, tree.root());
    EXPECT_EQ(r.out, row.out) << row.arguments[1].substr(0, 20);
    EXPECT_EQ(r.err, row.err) << row.arguments[1].substr(0, 20);
    EXPECT_EQ(r.status, row.status) << row.arguments[1].substr(0, 20);
  }
}

TEST(Hostile, ExpressionWithTenThousandAlternatives) {
  TempTree tree;
  tree.write("a.txt", "stuff w10000\nstuff w09999\nw04711 alone\n");
  std::string alternatives;
  for (int i = 0; i < 10000; ++i) {
    char word[8];
    std::snprintf(word, sizeof word, "w%05d", i);
    if (i != 0) alternatives += '|';
    alternatives += word;
  }
  std::string path = tree.root() + "/a.txt";
  RunResult r = runSkern({"stuff&" + alternatives, "a.txt"}, tree.root());
  EXPECT_EQ(r.out, header(path) + " stuff w09999\n");
  EXPECT_EQ(r.status, 0);
  // Led by a bar: every line is a candidate, and only the alternatives decide.
  r = runSkern({alternatives, "a.txt"}, tree.root());
  EXPECT_EQ(r.out, header(path) + " stuff w09999\n w04711 alone\n");
  EXPECT_EQ(r.status, 0);
}

// Binds a Unix socket at `path`; the socket stays until the tree goes.
void makeSocket(const std::string& path) {
  int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(fd, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  ASSERT_LT(path.size(), sizeof address.sun_path);
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  close(fd);
}

TEST(Hostile, SpecialFilesAndBrokenLinksArePassedOver) {
  TempTree tree;
  tree.write("a.txt", "stuff\n");
  ASSERT_EQ(mkfifo((tree.root() + "/pipe.txt").c_str(), 0644), 0);
  makeSocket(tree.root() + "/sock.txt");
  ASSERT_EQ(symlink("nowhere.txt", (tree.root() + "/dangling.txt").c_str()), 0);
  ASSERT_EQ(symlink("loop.txt", (tree.root() + "/loop.txt").c_str()), 0);
  ASSERT_EQ(symlink("a.txt", (tree.root() + "/link.txt").c_str()), 0);

  // Only the file and the link to it are opened; the link's own name is the one shown.
  RunResult r = runSkern({"-v", "stuff", "*.txt"}, tree.root());
  EXPECT_EQ(r.out, header(tree.root() + "/a.txt") + " stuff\n" + header(tree.root() + "/link.txt") +
                       " stuff\n");
  EXPECT_EQ(r.err, recursion("*.txt", 0) + scanned("opened", tree.root() + "/a.txt") +
                       scanned("opened", tree.root() + "/link.txt"));
  EXPECT_EQ(r.status, 0);

  // Named exactly, each counts as not found; none of them blocks or is opened.
  for (const char* name : {"pipe.txt", "sock.txt", "dangling.txt", "loop.txt"}) {
    r = runSkern({"-v", "stuff", name}, tree.root());
    EXPECT_EQ(r.out, "") << name;
    EXPECT_EQ(r.err, recursion(name, 0) + notFound(name) + kNothingFound) << name;
    EXPECT_EQ(r.status, 1) << name;
  }
}

TEST(Hostile, DirectoryLinkLoopsEndTheDescent) {
  TempTree tree;
  tree.write("a.txt", "stuff top\n");
  tree.write("sub/s.txt", "stuff below\n");
  ASSERT_EQ(symlink("..", (tree.root() + "/sub/up").c_str()), 0);
  ASSERT_EQ(symlink(".", (tree.root() + "/sub/self").c_str()), 0);
  ASSERT_EQ(symlink(tree.root().c_str(), (tree.root() + "/sub/root").c_str()), 0);
  RunResult r = runSkern({"-s", "stuff", "*.txt"}, tree.root());
  EXPECT_EQ(r.out, header(tree.root() + "/a.txt") + " stuff top\n" +
                       header(tree.root() + "/sub/s.txt") + " stuff below\n");
  EXPECT_EQ(r.status, 0);
}

TEST(Hostile, FewFileDescriptorsStillReadEveryFile) {
  // Files are opened several at a time; a low limit on open files must cost no file.
  TempTree tree;
  std::string expected;
  for (int i = 0; i < 40; ++i) {
    std::string name = "sub/" + std::to_string(100 + i) + ".txt";
    tree.write(name, "stuff " + std::to_string(i) + "\n");
    expected += header(tree.root() + "/" + name) + " stuff " + std::to_string(i) + "\n";
  }
  for (long most : {5, 12, 40}) {
    RunResult r = runSkern({"-s", "stuff", "*.txt"}, tree.root(), false, most);
    EXPECT_EQ(r.out, expected) << most;
    EXPECT_EQ(r.err, "") << most;
    EXPECT_EQ(r.status, 0) << most;
  }
}

TEST(Hostile, EveryByteValueInTextNamesAndExpressions) {
  TempTree tree;
  // Text: "key", a byte, "key" on every line. CR is removed, LF ends a line early, NUL cuts
  // its element short, and 0x1A ends the text.
  std::string text;
  std::vector<std::string> elements;
  for (int b = 1; b < 256; ++b) {
    if (b == 0x1A) continue;
    text += "key" + std::string(1, static_cast<char>(b)) + "key\n";
    if (b == '\n') {
      elements.insert(elements.end(), {"key\n", "key\n"});
    } else if (b == '\r') {
      elements.push_back("keykey\n");
    } else {
      elements.push_back("key" + std::string(1, static_cast<char>(b)) + "key\n");
    }
  }
  text += std::string("key\0hidden key\n", 15) + "tail key\n\x1A" + "key after the end\n";
  elements.insert(elements.end(), {"key", "tail key\n"});
  tree.write("bytes.txt", text);
  std::string expected = header(tree.root() + "/bytes.txt");
  for (std::size_t i = 0; i < elements.size(); ++i) {
    expected += "  " + std::to_string(i + 1) + ":" + elements[i];
  }
  RunResult r = runSkern({"-c-", "-n", "key", "bytes.txt"}, tree.root());
  EXPECT_EQ(r.out, expected);
  EXPECT_EQ(r.status, 0);

  // A name made of every byte but NUL and '/'.
  std::string name;
  for (int b = 1; b < 256; ++b) {
    if (b != '/') name += static_cast<char>(b);
  }
  tree.write(name, "stuff\n");
  r = runSkern({"stuff", "*"}, tree.root());
  EXPECT_EQ(r.out, header(tree.root() + "/" + name) + " stuff\n");
  EXPECT_EQ(r.status, 0);
  r = runSkern({"stuff", "-f" + name}, tree.root());
  EXPECT_EQ(r.out, header(tree.root() + "/" + name) + " stuff\n");
  EXPECT_EQ(r.status, 0);

  // Bytes from 128 up are compared as they are, also while case is ignored.
  std::string high, folded;
  for (int b = 128; b < 256; ++b) {
    high += static_cast<char>(b);
    folded += static_cast<char>(b >= 0xE0 && b != 0xF7 && b != 0xFF ? b - 0x20 : b);
  }
  tree.write("high.txt", "x" + folded + "\nx" + high + "\n");
  r = runSkern({"-c-", "-n", high, "high.txt"}, tree.root());
  EXPECT_EQ(r.out, header(tree.root() + "/high.txt") + "  2:x" + high + "\n");
  EXPECT_EQ(r.status, 0);

  // An expression of every byte from 1 to 255 (its operators escaped) parses, and is not
  // found, since no element holds a carriage return or 0x1A.
  std::string every;
  for (int b = 1; b < 256; ++b) {
    if (b == '&' || b == '|' || b == '\\') every += '\\';
    every += static_cast<char>(b);
  }
  r = runSkern({every, "*"}, tree.root());
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.status, 1);
}

TEST(Hostile, NumbersBeyondThirtyTwoBits) {
  TempTree tree;
  tree.write("short.txt", "stuff\n");
  std::string wide = "stuff " + std::string(900, 'y');
  tree.write("wide.txt", wide + "\n");
  std::string far = "stuff\n";
  for (int i = 0; i < 1000; ++i) far += "filler\n";
  tree.write("far.txt", far + "bongo\n");
  tree.write("farword.txt", far + "bongos\n");
  tree.write("bin.txt", "stuff\n" + std::string(300, '\x01') + "\n");
  const std::string shortPath = tree.root() + "/short.txt";
  const std::string farPath = tree.root() + "/far.txt";
  const std::string binPath = tree.root() + "/bin.txt";
  const std::string hugeDigits(60, '9');
  struct Row {
    std::vector<std::string> arguments;
    std::string out;
    std::string err;
    int status;
  };
  const Row rows[] = {
      // The margin: clamped to the 32-bit range, so one line, or one character per line.
      {{"-r99999999999", "stuff", "wide.txt"},
       header(tree.root() + "/wide.txt") + " " + wide + "\n",
       "",
       0},
      {{"-r" + hugeDigits, "stuff", "short.txt"}, header(shortPath) + " stuff\n", "", 0},
      {{"-r-99999999999", "stuff", "short.txt"},
       header(shortPath) + " \n  s\n  t\n  u\n  f\n  f\n",
       "",
       0},
      // Windows: the whole file around the hit, or none at all when negative.
      {{"-w", "-#99999999999", "stuff&bongo", "far.txt"}, header(farPath) + " stuff\n", "", 0},
      {{"-w", "-#99999999999", "stuff&bongo", "farword.txt"}, "", "", 1},
      {{"-#" + hugeDigits, "stuff&bongo", "far.txt"}, header(farPath) + " stuff\n", "", 0},
      {{"-+99999999999", "stuff&bongo", "far.txt"}, header(farPath) + " stuff\n", "", 0},
      {{"-+-99999999999", "stuff&bongo", "far.txt"}, "", "", 1},
      {{"-#-99999999999", "stuff&bongo", "far.txt"}, "", "", 1},
      // The binary test: a threshold beyond reach keeps the file; 10 % of 200 rejects it.
      {{"-ve", "-b99999999999:99999999999", "stuff", "bin.txt"},
       header(binPath) + " stuff\n",
       "",
       0},
      {{"-ve", "-b99999999999", "stuff", "bin.txt"}, header(binPath) + " stuff\n", "", 0},
      {{"-ve", "-b99999999999:10", "stuff", "bin.txt"}, header(binPath) + " stuff\n", "", 0},
      {{"-ve", "-b10", "stuff", "bin.txt"},
       "",
       "skern:skern():binary skipped \"" + binPath + "\"\n",
       1},
      // A negative count of test characters decides at the first character.
      {{"-ve", "-b100:-99999999999", "stuff", "bin.txt"},
       "",
       "skern:skern():binary skipped \"" + binPath + "\"\n",
       1},
  };
  for (const Row& row : rows) {
    RunResult r = runSkern(row.arguments, tree.root());
    std::string label = row.arguments[0] + " " + row.arguments[1];
    EXPECT_EQ(r.out, row.out) << label;
    EXPECT_EQ(r.err, row.err) << label;
    EXPECT_EQ(r.status, row.status) << label;
  }
}

}  // namespace
