#include "output/utf8_width.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>

namespace {

struct Range {
  char32_t first, last;
};

// Combining marks of the scripts most often met, and the zero-width format characters (zero
// width space to the direction marks, the byte-order mark, variation selectors). The Hangul
// vowels and final consonants that join an initial consonant into one syllable take none too.
constexpr Range kZeroWidth[] = {
    {0x0300, 0x036F}, {0x0483, 0x0489}, {0x0591, 0x05BD},   {0x05BF, 0x05BF}, {0x05C1, 0x05C2},
    {0x05C4, 0x05C5}, {0x05C7, 0x05C7}, {0x0610, 0x061A},   {0x064B, 0x065F}, {0x0670, 0x0670},
    {0x06D6, 0x06DC}, {0x06DF, 0x06E4}, {0x06E7, 0x06E8},   {0x06EA, 0x06ED}, {0x0711, 0x0711},
    {0x0730, 0x074A}, {0x07A6, 0x07B0}, {0x0900, 0x0902},   {0x093A, 0x093A}, {0x093C, 0x093C},
    {0x0941, 0x0948}, {0x094D, 0x094D}, {0x0951, 0x0957},   {0x0962, 0x0963}, {0x0E31, 0x0E31},
    {0x0E34, 0x0E3A}, {0x0E47, 0x0E4E}, {0x1160, 0x11FF},   {0x1AB0, 0x1AFF}, {0x1DC0, 0x1DFF},
    {0x200B, 0x200F}, {0x20D0, 0x20FF}, {0x302A, 0x302D},   {0x3099, 0x309A}, {0xFE00, 0xFE0F},
    {0xFE20, 0xFE2F}, {0xFEFF, 0xFEFF}, {0xE0100, 0xE01EF},
};

// East Asian wide and fullwidth characters: Hangul initial consonants and syllables, the CJK
// radicals, symbols, kana, ideographs and compatibility forms, Yi, the fullwidth forms, and the
// pictographs that terminals draw two columns wide.
constexpr Range kWide[] = {
    {0x1100, 0x115F},   {0x2E80, 0x303E},   {0x3041, 0x33FF},   {0x3400, 0x4DBF},
    {0x4E00, 0x9FFF},   {0xA000, 0xA4CF},   {0xA960, 0xA97F},   {0xAC00, 0xD7A3},
    {0xF900, 0xFAFF},   {0xFE10, 0xFE19},   {0xFE30, 0xFE6F},   {0xFF00, 0xFF60},
    {0xFFE0, 0xFFE6},   {0x1F300, 0x1F64F}, {0x1F900, 0x1F9FF}, {0x20000, 0x2FFFD},
    {0x30000, 0x3FFFD},
};

template <std::size_t N>
bool inRanges(const Range (&ranges)[N], char32_t c) {
  const Range* after = std::upper_bound(std::begin(ranges), std::end(ranges), c,
                                        [](char32_t v, const Range& r) { return v < r.first; });
  return after != std::begin(ranges) && c <= (after - 1)->last;
}

// True when a byte of `text` is above 127; most hits are plain ASCII, told eight bytes at a
// time.
bool hasHighByte(std::string_view text) {
  std::uint64_t any = 0;
  std::size_t at = 0;
  for (; text.size() - at >= sizeof any; at += sizeof any) {
    std::uint64_t eight;
    std::memcpy(&eight, text.data() + at, sizeof eight);
    any |= eight;
  }
  for (; at < text.size(); ++at) any |= static_cast<unsigned char>(text[at]);
  return (any & 0x8080808080808080u) != 0;
}

}  // namespace

int codePointColumns(char32_t c) {
  if (c < 0x300) return 1;
  if (inRanges(kZeroWidth, c)) return 0;
  return inRanges(kWide, c) ? 2 : 1;
}

std::size_t decodeUtf8(std::string_view text, char32_t& c) {
  if (text.empty()) return 0;
  const unsigned char lead = static_cast<unsigned char>(text[0]);
  if (lead < 0x80) {
    c = lead;
    return 1;
  }
  std::size_t length;
  char32_t least;  // the smallest value of that length: anything below is overlong
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, least = 0x80, c = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, least = 0x800, c = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, least = 0x10000, c = lead & 0x07;
  } else {
    return 0;
  }
  if (text.size() < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    const unsigned char next = static_cast<unsigned char>(text[i]);
    if ((next & 0xC0) != 0x80) return 0;
    c = (c << 6) | (next & 0x3F);
  }
  if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
  return length;
}

bool isMultibyteUtf8(std::string_view text) {
  if (!hasHighByte(text)) return false;
  for (std::size_t at = 0; at < text.size();) {
    if (static_cast<unsigned char>(text[at]) < 0x80) {
      ++at;
      continue;
    }
    char32_t c;
    std::size_t length = decodeUtf8(text.substr(at), c);
    if (length == 0) return false;
    at += length;
  }
  return true;
}
