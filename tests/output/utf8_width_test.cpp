// The columns of code points at the width table's range edges; which byte sequences are UTF-8.
#include "output/utf8_width.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Utf8Width, ColumnsAtTheRangesEdges) {
  const struct {
    char32_t c;
    int columns;
  } rows[] = {
      {U'a', 1},    {0x02FF, 1},  {0x0300, 0},  {0x036F, 0},  {0x0370, 1},  {0x0434, 1},
      {0x0483, 0},  {0x05BE, 1},  {0x05BF, 0},  {0x10FF, 1},  {0x1100, 2},  {0x115F, 2},
      {0x1160, 0},  {0x11FF, 0},  {0x1200, 1},  {0x200A, 1},  {0x200B, 0},  {0x200F, 0},
      {0x2010, 1},  {0x20D0, 0},  {0x2E7F, 1},  {0x2E80, 2},  {0x3000, 2},  {0x302A, 0},
      {0x302E, 2},  {0x303E, 2},  {0x303F, 1},  {0x3041, 2},  {0x3099, 0},  {0x309B, 2},
      {0x4E00, 2},  {0x9FFF, 2},  {0xA4CF, 2},  {0xA4D0, 1},  {0xAC00, 2},  {0xD7A3, 2},
      {0xD7A4, 1},  {0xFE0F, 0},  {0xFEFF, 0},  {0xFF01, 2},  {0xFF60, 2},  {0xFF61, 1},
      {0xFFE6, 2},  {0xFFE7, 1},  {0x1F600, 2}, {0x1F650, 1}, {0x20000, 2}, {0x2FFFD, 2},
      {0x2FFFE, 1}, {0x3FFFD, 2}, {0x3FFFE, 1}, {0xE0100, 0}, {0xE01F0, 1}, {0x10FFFF, 1},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(codePointColumns(row.c), row.columns) << std::hex << static_cast<unsigned>(row.c);
  }
}

TEST(Utf8Width, WellFormedSequences) {
  const struct {
    const char* bytes;
    bool utf8;  // holds a byte above 127 and is UTF-8 throughout
  } rows[] = {
      {"plain ASCII", false},
      {"\xc2\x80\xdf\xbf\xe0\xa0\x80\xef\xbf\xbf\xf0\x90\x80\x80\xf4\x8f\xbf\xbf", true},
      {"\xc0\x80", false},          // overlong NUL
      {"\xc1\xbf", false},          // overlong ASCII
      {"\xe0\x9f\xbf", false},      // overlong three bytes
      {"\xf0\x8f\xbf\xbf", false},  // overlong four bytes
      {"\xed\xa0\x80", false},      // a surrogate
      {"\xf4\x90\x80\x80", false},  // beyond U+10FFFF
      {"\xf5\x80\x80\x80", false},
      {"\xd0", false},        // cut at the end
      {"\xe6\x97 x", false},  // cut in the middle
      {"\xb4", false},        // a stray continuation byte
      {"eight or more ASCII, then \xc3\xa9", true},
      {"eight or more ASCII, then \xb4", false},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(isMultibyteUtf8(row.bytes), row.utf8) << row.bytes;
  }
  char32_t c = 0;
  EXPECT_EQ(decodeUtf8("\xf0\x9f\x98\x80!", c), 4u);
  EXPECT_EQ(c, U'\U0001F600');
}

}  // namespace
