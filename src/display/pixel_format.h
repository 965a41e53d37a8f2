// The pixel-format table: the 52 layouts in which display windows and pictures hold their pixels,
// the vocabulary of FLOAD, FDUMP, SHOW and DRAW. A format is named by its description code and
// its sub-order joined by a dot ("R565.RGB", "Y422.YU-YV").
//
// Sub-order notation. Letters name components (R, G, B, A alpha, Y, U, V; Y0..Y3 number the
// lumas of one group in pixel order). Within one access unit the components are listed from the
// most significant bits down; a unit is stored little-endian. "-" separates units in increasing
// address order, "x" is padding (written 0, ignored on reading), a small letter continues the
// capital's component with its low bits, "+" separates the second line of a 4:2:0 line pair and
// "@" the chroma plane of a semi-planar layout. A 16-bit unit that holds whole bytes stores its
// bytes big-endian: logical byte n of the stream lies at address n XOR 1.
//
// Packings settled here (bytes in increasing address order; r5 = top 5 bits of red and so on):
//
//   format             bytes of one pixel or group
//   R565.RGB           r5:g6:b5 as a 16-bit unit, low byte first (= R565.gB-RG)
//   R565.RG-gB         the same value, high byte first
//   R444.GB-R          two pixels R:G:B (R in bits 11..8) in a 24-bit little-endian group of
//                      3 bytes, pixel 0 in bits 11..0: 123h,456h -> 23 61 45
//   R666.RG-gB-b       four pixels in 9 bytes: pixel k's bytes r6:g2 and g4:b4 at 2k and 2k+1,
//                      then one byte with the low two blue bits of each, pixel k in bits 2k+1..2k;
//                      a group cut short by the line's end puts that byte right after its pixels
//   R666.xR-rG-gB      r6:g6:b6 as three bytes, most significant first
//   R666.Rx-Gx-Bx      r6<<2, g6<<2, b6<<2 (RxGx-Bx: the same bytes at n XOR 1)
//   R888.xRGB          B G R 0 (= R888.B-G-R-x);  R888.xR-GB: R 0 B G
//   R888.RG-B          R G B at n XOR 1: pixel 0 at 1 0 3, pixel 1 at 2 5 4
//   ARGB8565.ARxGxBx   b5<<3, g6<<2, r5<<3, a8
//   Y411 (variants 0-3)  four pixels in 6 bytes, in the order the name lists
//   Y422 (variants 0-3)  two pixels in 4 bytes: 0 Y0 U Y1 V, 1 Y0 V Y1 U, 2 U Y0 V Y1, 3 V Y0 U Y1
//   Y422 variant 4       luma Y0 Y1 per pair; chroma U V at the same offset of a chroma plane
//                        that follows the luma plane (stride x lines)
//   Y420 variants 0-7    a line pair: the first line as a 4:2:2 group per pixel pair (U Y V Y,
//                        V Y U Y, Y U Y V or Y V Y U), then the second line, luma only, Y0 Y1 or
//                        Y1 Y0 per pair, starting 2 x (width rounded up to even) bytes after the
//                        first; pairs are 2 x stride apart
//   Y420 variants 8, 9   U Y Y on the first line, V Y Y on the second, 3 bytes per pixel pair
//                        (variant 9 at n XOR 1)
//   Y420 variant 10      luma plane of lines, then a chroma plane with one line of U V per pixel
//                        pair for each line pair
//
// A group (pixel pair, four pixels, two-by-two block) carries the chroma of its first pixel. Line
// sizes of layouts stored at n XOR 1 are rounded up to even, so that no pixel reaches beyond its
// line; the chroma plane of a semi-planar image starts stride x lines (lines rounded up to even
// for 4:2:0) after the luma plane, and its image size is that of the packed form.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

struct Pixel;
struct Surface;

// How a layout's line size and image extent are computed.
enum class SizeRule : uint8_t {
  kWholeBytes,   // 1, 2, 3 or 4 bytes per pixel
  kEvenBytes,    // 3 bytes per pixel at n XOR 1: lines rounded up to even
  kTwoInThree,   // R444.GB-R: 1.5 bytes per pixel
  kFourInNine,   // R666.RG-gB-b: 2.25 bytes per pixel
  kYuv411,       // 6 bytes per four pixels
  kYuv422,       // 4 bytes per pixel pair
  kYuv422Plane,  // luma plane, then chroma plane
  kYuv420Pairs,  // line pairs of 2 x 1.5 bytes per pixel
  kYuv420Lines,  // lines of 1.5 bytes per pixel
  kYuv420Odd,    // lines of 1.5 bytes per pixel at n XOR 1
  kYuv420Plane,  // luma plane, then chroma plane of line pairs
};

// Where a YUV layout keeps the samples of one group, as byte offsets from the group's start.
struct YuvLayout {
  uint8_t y[4];   // lumas of the group's pixels (on the first line of a 4:2:0 pair)
  uint8_t y2[2];  // 4:2:0 pairs and lines: lumas of a pixel pair on the second line
  uint8_t u, v;   // chroma (4:2:0 lines: V on the second line)
};

// Reads count pixels of a line into internal pixels, and writes them.
using RowReader = void (*)(const Surface& s, uint32_t x, uint32_t y, uint32_t count, Pixel* out);
using RowWriter = void (*)(const Surface& s, uint32_t x, uint32_t y, uint32_t count,
                           const Pixel* in);

struct PixelFormat {
  const char* name;         // description code and sub-order: "R565.RGB"
  const char* description;  // "RGB 5:6:5"
  uint32_t accessSize;      // bytes of the memory unit the layout is described in: 1, 2 or 4
  int32_t variant;          // -1 for RGB; the sample order within a YUV family
  int32_t bitsPerPixel;     // RGB: bits of a pixel; YUV: the negated average, -12 or -16
  double bytesPerPixel;     // 1.0, 1.5, 2.0, 2.25, 3.0 or 4.0
  SizeRule sizeRule;
  RowReader readRow;
  RowWriter writeRow;
  YuvLayout yuv;  // YUV formats only
};

constexpr int kPixelFormatCount = 52;

// The table, in its fixed order (index 5 is "R565.RGB").
const PixelFormat& PixelFormatAt(int index);

// The index of a format name compared without regard to case, or -1.
int FindPixelFormat(std::string_view name);
bool IsValidFormat(int index);
// Variant -1: an RGB layout; any other index in range is YUV.
bool IsRgbFormat(int index);

// Fields of a record; nullptr or 0 for an index outside the table.
const char* GetFormatName(int index);
const char* GetFormatDescription(int index);
const char* GetFormatSubOrder(int index);  // the part of the name after the dot
uint32_t GetFormatAccessSize(int index);
double GetFormatBytesPerPixel(int index);

// Bytes of one line of width pixels (the default stride) and of a width x height image; 0 for an
// index outside the table.
uint64_t GetFormatLineSize(int index, uint32_t width);
uint64_t GetFormatImageSize(int index, uint32_t width, uint32_t height);

// Bytes an image of lines lines of lineWidth pixels occupies with the given stride, from its
// first byte to its last (the chroma plane included).
uint64_t FormatExtent(const PixelFormat& f, uint32_t lineWidth, uint32_t lines, uint64_t stride);

// Where the chroma plane of a semi-planar image starts; 0 for other layouts.
uint64_t ChromaPlaneOffset(const PixelFormat& f, uint32_t lines, uint64_t stride);
