// Where the pieces of a file begin, and how far back a window makes a piece read: each piece
// holds whole lines, the pieces cover the file, and the text read before a piece holds what a
// window around its first line reaches.
#include "files/piece_bounds.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/file_reader.h"

namespace {

struct Case {
  const char* name;
  std::string text;
  std::uint64_t pieceBytes;
  std::uint64_t index;
  WindowReach reach;
  bool empty;
  std::uint64_t start;
  std::uint64_t readFrom;
};

std::string line(char c, std::size_t length) {
  return std::string(length, c) + "\n";
}

TEST(PieceBounds, Table) {
  const std::string tenLines = line('a', 9) + line('b', 9) + line('c', 9) + line('d', 9) +
                               line('e', 9) + line('f', 9) + line('g', 9) + line('h', 9) +
                               line('i', 9) + line('j', 9);
  const Case cases[] = {
      {"the first piece begins at the start", tenLines, 25, 0, {}, false, 0, 0},
      {"a piece begins after the line feed at or after its start's byte before",
       tenLines,
       25,
       1,
       {},
       false,
       30,
       30},
      {"a line feed just before the nominal start begins the piece there",
       tenLines,
       20,
       1,
       {},
       false,
       20,
       20},
      {"a piece that no line begins in is empty", line('x', 60) + "y\n", 20, 1, {}, true, 0, 0},
      {"the last piece runs to the file's end", tenLines, 40, 2, {}, false, 80, 80},
      {"a line window reads back over that many lines", tenLines, 40, 1, {2, 0}, false, 40, 20},
      {"a line window reaches the file's start at most", tenLines, 40, 1, {9, 0}, false, 40, 0},
      {"a character window reads back over lines holding that many bytes",
       tenLines,
       40,
       1,
       {0, 15},
       false,
       40,
       20},
      {"carriage returns do not count as bytes of the text",
       "x\nab\r\r\r\r\r\r\r\r\nc\nd\n",
       14,
       1,
       {0, 6},
       false,
       15,
       0},
      {"an element cut at a NUL counts only what stands before it",
       "x\n" + std::string("a\0bbbbbbb\n", 10) + "cc\n",
       12,
       1,
       {0, 4},
       false,
       12,
       0},
  };
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() / "skern-piece-bounds.txt";
  for (const Case& c : cases) {
    std::ofstream(path, std::ios::binary) << c.text;
    FileReader reader;
    OpenFile file;
    ASSERT_TRUE(reader.open(path.string(), file)) << c.name;
    std::uint64_t count = (c.text.size() + c.pieceBytes - 1) / c.pieceBytes;
    PieceBounds bounds = findPieceBounds(file, c.index, count, c.pieceBytes, c.reach);
    EXPECT_EQ(bounds.empty, c.empty) << c.name;
    if (!c.empty) {
      EXPECT_EQ(bounds.start, c.start) << c.name;
      EXPECT_EQ(bounds.readFrom, c.readFrom) << c.name;
    }
    reader.close(file);
  }
  std::filesystem::remove(path);
  // A line's elements: carriage returns left out, each element cut at its NUL.
  EXPECT_EQ(elementBytesOfLine("a\r\rb\n"), 3u);
  std::string nuls = std::string(998, 'x') + '\0' + std::string("y\0z\n", 4);
  EXPECT_EQ(elementBytesOfLine(nuls), 998u + 1u);
}

}  // namespace
