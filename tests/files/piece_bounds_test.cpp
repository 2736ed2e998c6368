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

TEST(PieceBounds, Table) {
  std::string tenLines;
  for (char c = 'a'; c <= 'j'; ++c) tenLines += std::string(9, c) + '\n';
  const std::string crs = "x\nab\r\r\r\r\r\r\r\r\nc\nd\n";
  const std::string nuls = "x\n" + std::string("a\0bbbbbbb\n", 10) + "cc\n";
  const struct {
    const char* name;
    std::string text;
    std::uint64_t pieceBytes, index;
    WindowReach reach;
    std::uint64_t start, readFrom;  // UINT64_MAX: the piece is empty
  } rows[] = {
      {"the first piece begins at the start", tenLines, 25, 0, {}, 0, 0},
      {"after the line feed at or after the start's byte before", tenLines, 25, 1, {}, 30, 30},
      {"a line feed just before the start begins it there", tenLines, 20, 1, {}, 20, 20},
      {"no line begins in it: empty", std::string(60, 'x') + "\ny\n", 20, 1, {}, UINT64_MAX, 0},
      {"the last piece runs to the file's end", tenLines, 40, 2, {}, 80, 80},
      {"a line window reads back over that many lines", tenLines, 40, 1, {2, 0}, 40, 20},
      {"to the file's start at most", tenLines, 40, 1, {9, 0}, 40, 0},
      {"a character window: over lines holding that many bytes", tenLines, 40, 1, {0, 15}, 40, 20},
      {"carriage returns are no bytes of the text", crs, 14, 1, {0, 6}, 15, 0},
      {"an element cut at a NUL counts what stands before it", nuls, 12, 1, {0, 4}, 12, 0},
  };
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() / "skern-piece-bounds.txt";
  for (const auto& row : rows) {
    std::ofstream(path, std::ios::binary) << row.text;
    FileReader reader;
    OpenFile file;
    ASSERT_TRUE(reader.open(path.string(), file)) << row.name;
    std::uint64_t count = (row.text.size() + row.pieceBytes - 1) / row.pieceBytes;
    PieceBounds bounds = findPieceBounds(file, row.index, count, row.pieceBytes, row.reach);
    using Place = std::pair<std::uint64_t, std::uint64_t>;  // start, read from
    Place got = bounds.empty ? Place(UINT64_MAX, 0) : Place(bounds.start, bounds.readFrom);
    EXPECT_EQ(got, Place(row.start, row.readFrom)) << row.name;
    reader.close(file);
  }
  std::filesystem::remove(path);
  // A line's elements: carriage returns left out, each element cut at its NUL.
  EXPECT_EQ(elementBytesOfLine("a\r\rb\n"), 3u);
  EXPECT_EQ(elementBytesOfLine(std::string(998, 'x') + '\0' + std::string("y\0z\n", 4)), 999u);
}

}  // namespace
