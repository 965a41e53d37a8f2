// The drawing primitives of DRAW and of SHOW's labels: pixels, lines, boxes and text in the 8 x 8
// font on one target image, in host memory or in display memory through DisplayAccessHook. Every
// pixel goes through the pixel-format writer of the target's format (WritePixelColor).
//
// Nothing is clipped. The lines of a display-memory target go on past its edges as the format
// lays them out: a pixel beyond the right edge lands at the start of the next line, one left of
// the left edge at the end of the line before, and lines above and below the image continue its
// line layout (in whole 4:2:0 line pairs; the chroma of a semi-planar image moves with its
// lines). A host-memory target keeps to its buffer: pixels outside it are dropped.
#pragma once

#include <cstdint>
#include <string_view>

#include "display/image.h"

// Makes image the target of the primitives that follow (a copy is kept).
void SetDrawTarget(const ImageDesc& image);

void DrawPixel(int64_t x, int64_t y, uint32_t color);
// Integer Bresenham from (x1, y1) to (x2, y2), both ends included; the same pixels either way.
void DrawLine(int64_t x1, int64_t y1, int64_t x2, int64_t y2, uint32_t color);
// A width x height box with its top left corner at (x, y): its four sides, or filled (solid).
// Width and height are at least 1.
void DrawBox(int64_t x, int64_t y, uint32_t width, uint32_t height, uint32_t color, bool solid);
// Text from (x, y), 8 pixels a character; a line feed goes back to x, 8 pixels down, and codes
// without a glyph are skipped. Clear glyph bits take bg, unless fg equals bg (transparent text).
void DrawText(int64_t x, int64_t y, std::string_view text, uint32_t fg, uint32_t bg);

// Display memory for the readers and writers of a display-memory image: one unit of 8, 16 or 32
// bits read, written, ANDed or ORed through the HAL. Any other bit count touches nothing (a read
// gives 0).
uint32_t DisplayAccessHook(uint32_t address, uint32_t value, uint32_t bits, AccessOp op);

// Pixel positions, edges included; empty when right < left.
struct DrawBounds {
  int64_t left, top, right, bottom;
};
DrawBounds TextBounds(int64_t x, int64_t y, std::string_view text);

// The display-memory bytes [*first, *end) that pixels within bounds reach on the current
// display-memory target, nothing written. Memory order follows the pixels' order along the lines,
// so the corners of the bounds reach the first and the last bytes. Positions that fall outside
// the 32-bit address space count as reaching below 0 or past 4 GiB; *first > *end when nothing
// would be reached.
void MeasureBounds(const DrawBounds& bounds, int64_t* first, int64_t* end);

// A DRAW colour: a leading "R" (RGB, the default) or "Y" (YUV 00YYUUVVh, converted to RGB with
// the current standard) in either case, then one hexadecimal number or an expression, or three
// or more numbers separated by commas whose low bytes are shifted in from the right. False when
// the word is no colour.
bool ParseDrawColor(const char* word, uint32_t* color);
