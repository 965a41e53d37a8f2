// The image descriptor and the converter: a rectangle of pixels copied from an image in one
// format to an image in another through the internal pixel, and single pixels read and written
// (for DRAW). An image lies in host memory, or in display memory when it has an access hook.
#pragma once

#include <cstddef>
#include <cstdint>

#include "display/color_space.h"

// One memory access of a reader or writer, through an image's access hook.
enum class AccessOp {
  kRead,   // returns the unit read
  kWrite,  // stores value
  kAnd,    // stores the unit AND value
  kOr,     // stores the unit OR value
};

// Called once per access unit: bits is 8 for byte layouts and 16 for the 16-bit units of the
// others (a 32-bit unit is two 16-bit accesses, low address first).
using AccessHook = uint32_t (*)(uint32_t address, uint32_t value, uint32_t bits, AccessOp op);

struct ImageDesc {
  uint8_t* buffer = nullptr;         // the pixels in host memory (no hook)
  uint32_t address = 0;              // with a hook: where the pixels start in display memory
  uint64_t bufferSize = 0;           // bytes available from buffer (or address)
  const char* formatName = nullptr;  // a table name; when absent, formatIndex
  int formatIndex = -1;
  uint32_t width = 0, height = 0;  // pixels of the rectangle
  uint32_t stride = 0;             // bytes per line; 0: the format's line size
  uint32_t x = 0, y = 0;           // the rectangle's origin; the image spans 0..x+width-1
  YuvCoding coding;                // how the YUV samples are stored
  AccessHook hook = nullptr;
};

// Conversion flags of the picture routines: bit 1 chroma offset, bit 0 studio range.
YuvCoding CodingFromFlags(int flags);

// Converts the rectangle the two images share (the smaller width and height of the two, so that
// neither is read or written beyond). Returns the bytes of the destination image for that size,
// or 0 when a format is unknown, the size is 0, or either image does not fit its buffer size
// (nothing is written then).
uint64_t ConvertImage(const ImageDesc& source, const ImageDesc& destination);

// Pixel (x, y) of the image, x and y counted from the image's start (origin included), as
// alpha:R:G:B; 0 for a pixel outside the image or an image that does not fit its buffer.
uint32_t ReadPixelColor(const ImageDesc& image, uint32_t x, uint32_t y);

// Stores the colour alpha:R:G:B at pixel (x, y) in the image's format (a YUV pixel takes its
// luma slot and its group's chroma). Nothing happens outside the image.
void WritePixelColor(const ImageDesc& image, uint32_t x, uint32_t y, uint32_t color);

// 00YYUUVVh read as a "Y422.Y-U-Y-V" pixel pair with both lumas YY (chroma offset and studio
// range) with the current standard: the RGB colour.
uint32_t YuvToRgbColor(uint32_t yuv);
