// The 8 x 8 font: 96 glyphs that keep to their cells.
#include "display/font8x8.h"

#include <cstring>
#include <string_view>

#include <gtest/gtest.h>

namespace {

// Every glyph fits its 8 x 8 cell with a clear last column, so that characters set side by side
// never touch, and a clear bottom row but for descenders and the underline; the space is blank and
// "A" is the glyph the font was drawn to match.
TEST(Font8x8, EveryGlyphFitsItsCell) {
  const std::string_view descenders = "gjpqy,;_";  // tails and the underline
  for (uint32_t code = kFontFirstCode; code < kFontFirstCode + kFontGlyphCount; code++) {
    const uint8_t* glyph = FontGlyph(code);
    ASSERT_NE(glyph, nullptr) << code;
    for (uint32_t row = 0; row < kFontCell; row++) EXPECT_EQ(glyph[row] & 1, 0) << code;
    bool descends = descenders.find(static_cast<char>(code)) != std::string_view::npos;
    EXPECT_EQ(glyph[kFontCell - 1] != 0, descends) << code;
    bool blank = true;
    for (uint32_t row = 0; row < kFontCell; row++) blank = blank && glyph[row] == 0;
    EXPECT_EQ(blank, code == ' ') << code;
  }
  const uint8_t a[kFontCell] = {0x30, 0x78, 0xCC, 0xCC, 0xFC, 0xCC, 0xCC, 0x00};
  EXPECT_EQ(std::memcmp(FontGlyph('A'), a, sizeof a), 0);
  EXPECT_EQ(FontGlyph(31), nullptr);
  EXPECT_EQ(FontGlyph(128), nullptr);
}

}  // namespace
