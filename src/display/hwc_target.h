// A transfer through the host write window: the data it reads for its rectangle and the display
// memory it writes, checked before anything is sent. FLOAD and SHOW share it.
#pragma once

#include <cstdint>

struct HwcRectangle {
  uint32_t x = 0, y = 0;           // HX, HY: offsets in the window, pixels
  uint32_t width = 0, height = 0;  // SW, SH
  uint32_t stride = 0;             // SO: the window's line offset, pixels
  uint32_t rotation = 0;           // 0, 90, 180 or 270
  bool yuv420 = false;             // data types 2 and 3: three bytes for two pixels
};

// The data the window takes for width x height pixels: three bytes for two 4:2:0 pixels, else
// two a pixel, in whole 16-bit words.
uint64_t HwcBytes(const HwcRectangle& r);

// The display memory the window's writes cover from its start, rotation included.
uint64_t HwcSpan(const HwcRectangle& r);

// Prints the error and returns false when X is no multiple of the data type's pixel step, the
// width is below 2, bytes of data are fewer than the window takes, or the window's writes from
// start would reach beyond display memory.
bool CheckHwcTarget(uint32_t start, const HwcRectangle& r, uint64_t bytes);
