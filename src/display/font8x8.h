// The 8 x 8 fixed-width font of DRAW's text and SHOW's labels: one glyph for each character code
// from 32 to 127, one byte per row from the top, the most significant bit the leftmost pixel.
// Glyphs are six pixels wide (seven for the widest letters), so the last column of every cell
// stays clear and characters set side by side never touch.
#pragma once

#include <cstdint>

constexpr uint32_t kFontFirstCode = 32;
constexpr uint32_t kFontGlyphCount = 96;
constexpr uint32_t kFontCell = 8;  // pixels per side of a character cell

// The eight rows of the glyph of code; nullptr for a code outside 32..127.
const uint8_t* FontGlyph(uint32_t code);
