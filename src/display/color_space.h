// Conversion between RGB and YUV with one of five colour standards, in full or studio range,
// with chroma stored offset (128 meaning zero) or as signed bytes. Coefficients are kept in
// units of 1/10000 so that the arithmetic is exact: results are truncated toward zero and then
// clamped, as the standards' tables are written.
#pragma once

#include <cstdint>

// The internal pixel every conversion goes through.
struct Pixel {
  uint8_t a, r, g, b;  // alpha and RGB
  uint8_t y, u, v;     // YUV, U and V encoded as the YUV side says
};

// How the YUV side of a conversion stores its samples.
struct YuvCoding {
  bool chromaOffset = false;  // U and V stored +128 (0..255, 128 meaning zero); else signed
  bool studioRange = false;   // luma from 16 (studio range); else full range
};

constexpr int kColorStandardCount = 5;

// 0 "ITR BT 709", 1 "ITR BT 470", 2 "ITR BT 601", 3 "SMPTE 170M", 4 "SMPTE 240M"; false for
// other numbers.
bool GetStandardName(int standard, const char** name);

// Chooses the standard of the conversions that follow (2 at start); false, and no change, for a
// number outside 0..4.
bool SetStandard(int standard);
int GetStandard();

// Fills Y, U, V of each pixel from its R, G, B, and R, G, B from Y, U, V (alpha is kept).
void RgbToYuv(Pixel* pixels, uint32_t count, YuvCoding coding);
void YuvToRgb(Pixel* pixels, uint32_t count, YuvCoding coding);
