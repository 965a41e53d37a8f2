#include "display/pixel_format.h"

#include <cstring>
#include <iterator>

#include "base/helper.h"
#include "display/pixel_codec.h"

namespace {

uint64_t RoundUpEven(uint64_t n) {
  return n + (n & 1);
}

// The line size for width pixels, before any stride is chosen.
uint64_t LineSize(const PixelFormat& f, uint32_t width) {
  uint64_t w = width;
  switch (f.sizeRule) {
    case SizeRule::kWholeBytes:
      return w * static_cast<uint64_t>(f.bytesPerPixel);
    case SizeRule::kEvenBytes:
      return RoundUpEven(w * 3);
    case SizeRule::kTwoInThree:
      return (3 * w + 1) / 2;
    case SizeRule::kFourInNine:
      return (9 * w + 3) / 4;
    case SizeRule::kYuv411:
      return (w + 3) / 4 * 6;
    case SizeRule::kYuv422:
      return RoundUpEven(w) * 2;
    case SizeRule::kYuv420Pairs:
    case SizeRule::kYuv420Lines:
      return RoundUpEven(w) * 3 / 2;
    case SizeRule::kYuv420Odd:
      return RoundUpEven(RoundUpEven(w) * 3 / 2);
    case SizeRule::kYuv422Plane:
    case SizeRule::kYuv420Plane:
      return RoundUpEven(w);
  }
  return 0;
}

}  // namespace

uint64_t ChromaPlaneOffset(const PixelFormat& f, uint32_t lines, uint64_t stride) {
  if (f.sizeRule == SizeRule::kYuv422Plane) return stride * lines;
  if (f.sizeRule == SizeRule::kYuv420Plane) return stride * RoundUpEven(lines);
  return 0;
}

uint64_t FormatExtent(const PixelFormat& f, uint32_t lineWidth, uint32_t lines, uint64_t stride) {
  if (lineWidth == 0 || lines == 0) return 0;
  uint64_t line = LineSize(f, lineWidth);
  uint64_t evenLines = RoundUpEven(lines);
  switch (f.sizeRule) {
    case SizeRule::kYuv422Plane:
      return ChromaPlaneOffset(f, lines, stride) + (lines - 1) * stride + line;
    case SizeRule::kYuv420Pairs:  // the last pair: its first line, then the luma line
      return (evenLines / 2 - 1) * 2 * stride + 3 * RoundUpEven(lineWidth);
    case SizeRule::kYuv420Lines:
    case SizeRule::kYuv420Odd:
      return (evenLines - 1) * stride + line;
    case SizeRule::kYuv420Plane:
      return ChromaPlaneOffset(f, lines, stride) + (evenLines / 2 - 1) * stride + line;
    default:
      return (lines - 1) * stride + line;
  }
}

namespace {

// ---- layouts ----

constexpr Field F(int shift, int bits) {
  return {static_cast<uint8_t>(shift), static_cast<uint8_t>(bits), 0, 0};
}

constexpr RgbLayout Rgb(int bytes, int swap, Field r, Field g, Field b, Field a = {}) {
  return {static_cast<uint8_t>(bytes), static_cast<uint8_t>(swap), a, r, g, b};
}

// Values are read most significant byte first; swap 1 stores 16-bit units, 3 32-bit units,
// little-endian.
constexpr RgbLayout kR332 = Rgb(1, 0, F(5, 3), F(2, 3), F(0, 2));
constexpr RgbLayout kR444GbXr = Rgb(2, 0, F(0, 4), F(12, 4), F(8, 4));
constexpr RgbLayout kR444GbRx = Rgb(2, 0, F(4, 4), F(12, 4), F(8, 4));
constexpr RgbLayout kR555 = Rgb(2, 1, F(10, 5), F(5, 5), F(0, 5));
constexpr RgbLayout kR565 = Rgb(2, 1, F(11, 5), F(5, 6), F(0, 5));
constexpr RgbLayout kR565RgGb = Rgb(2, 0, F(11, 5), F(5, 6), F(0, 5));
// g3:b5 then r5:G3: green's top three bits end the value, its low three start it.
constexpr RgbLayout kR565GbRg = Rgb(2, 0, F(3, 5), Field{0, 3, 13, 3}, F(8, 5));
constexpr RgbLayout kR666Bytes = Rgb(3, 0, F(18, 6), F(10, 6), F(2, 6));
constexpr RgbLayout kR666Words = Rgb(3, 1, F(18, 6), F(10, 6), F(2, 6));
constexpr RgbLayout kR666Packed = Rgb(3, 0, F(12, 6), F(6, 6), F(0, 6));
constexpr RgbLayout kR666PadBytes = Rgb(4, 0, F(18, 6), F(10, 6), F(2, 6));
constexpr RgbLayout kR666PadWords = Rgb(4, 1, F(18, 6), F(10, 6), F(2, 6));
constexpr RgbLayout kR666PadLong = Rgb(4, 3, F(18, 6), F(10, 6), F(2, 6));
constexpr RgbLayout kR888Long = Rgb(4, 3, F(16, 8), F(8, 8), F(0, 8));
constexpr RgbLayout kR888BgrX = Rgb(4, 0, F(8, 8), F(16, 8), F(24, 8));
constexpr RgbLayout kR888Words = Rgb(4, 1, F(16, 8), F(8, 8), F(0, 8));
constexpr RgbLayout kR888XRgb = Rgb(4, 0, F(16, 8), F(8, 8), F(0, 8));
constexpr RgbLayout kR888Rgb = Rgb(3, 0, F(16, 8), F(8, 8), F(0, 8));
constexpr RgbLayout kR888Bgr = Rgb(3, 0, F(0, 8), F(8, 8), F(16, 8));
constexpr RgbLayout kR888RgB = Rgb(3, 1, F(16, 8), F(8, 8), F(0, 8));
constexpr RgbLayout kArgb1555 = Rgb(2, 1, F(10, 5), F(5, 5), F(0, 5), F(15, 1));
constexpr RgbLayout kArgb4444 = Rgb(2, 1, F(8, 4), F(4, 4), F(0, 4), F(12, 4));
constexpr RgbLayout kArgb8565 = Rgb(4, 3, F(19, 5), F(10, 6), F(3, 5), F(24, 8));
constexpr RgbLayout kArgb8888 = Rgb(4, 3, F(16, 8), F(8, 8), F(0, 8), F(24, 8));
constexpr RgbLayout kRgba8888 = Rgb(4, 3, F(24, 8), F(16, 8), F(8, 8), F(0, 8));

// Byte offsets of the samples within a group: lumas, second-line lumas, U, V.
constexpr YuvLayout kY411UV = {{1, 3, 4, 5}, {}, 0, 2};
constexpr YuvLayout kY411VU = {{1, 3, 4, 5}, {}, 2, 0};
constexpr YuvLayout kY411YU = {{0, 2, 5, 4}, {}, 1, 3};
constexpr YuvLayout kY411YV = {{0, 2, 5, 4}, {}, 3, 1};
constexpr YuvLayout kY422YUYV = {{0, 2}, {}, 1, 3};
constexpr YuvLayout kY422YVYU = {{0, 2}, {}, 3, 1};
constexpr YuvLayout kY422UYVY = {{1, 3}, {}, 0, 2};
constexpr YuvLayout kY422VYUY = {{1, 3}, {}, 2, 0};
constexpr YuvLayout kYPlane = {{0, 1}, {}, 0, 1};
constexpr YuvLayout kY420UYVY01 = {{1, 3}, {0, 1}, 0, 2};
constexpr YuvLayout kY420UYVY10 = {{1, 3}, {1, 0}, 0, 2};
constexpr YuvLayout kY420VYUY01 = {{1, 3}, {0, 1}, 2, 0};
constexpr YuvLayout kY420VYUY10 = {{1, 3}, {1, 0}, 2, 0};
constexpr YuvLayout kY420YUYV01 = {{0, 2}, {0, 1}, 1, 3};
constexpr YuvLayout kY420YUYV10 = {{0, 2}, {1, 0}, 1, 3};
constexpr YuvLayout kY420YVYU01 = {{0, 2}, {0, 1}, 3, 1};
constexpr YuvLayout kY420YVYU10 = {{0, 2}, {1, 0}, 3, 1};
constexpr YuvLayout kY420UYY = {{1, 2}, {1, 2}, 0, 0};

template <RgbLayout L>
constexpr PixelFormat RgbFormat(const char* name, const char* description, uint32_t access,
                                int32_t bits, double bytes) {
  SizeRule rule = L.swap == 1 && L.bytes == 3 ? SizeRule::kEvenBytes : SizeRule::kWholeBytes;
  return {
      name, description, access, -1, bits, bytes, rule, RgbCodec<L>::ReadRow, RgbCodec<L>::WriteRow,
      {}};
}

constexpr PixelFormat YuvFormat(const char* name, const char* description, uint32_t access,
                                int32_t variant, SizeRule rule, YuvLayout layout) {
  bool is422 = rule == SizeRule::kYuv422 || rule == SizeRule::kYuv422Plane;
  return {name, description, access,      variant, is422 ? -16 : -12, is422 ? 2.0 : 1.5,
          rule, ReadYuvRow,  WriteYuvRow, layout};
}

using enum SizeRule;

// clang-format off
constexpr PixelFormat kPixelFormats[] = {
    RgbFormat<kR332>("R332.RGB", "RGB 3:3:2", 1, 8, 1.0),
    {"R444.GB-R", "RGB 4:4:4", 1, -1, 12, 1.5, kTwoInThree, ReadTwoInThreeRow, WriteTwoInThreeRow, {}},
    RgbFormat<kR444GbXr>("R444.GB-xR", "RGB 4:4:4", 1, 12, 2.0),
    RgbFormat<kR444GbRx>("R444.GB-Rx", "RGB 4:4:4", 1, 12, 2.0),
    RgbFormat<kR555>("R555.xRGB", "RGB 5:5:5", 2, 15, 2.0),
    RgbFormat<kR565>("R565.RGB", "RGB 5:6:5", 2, 16, 2.0),
    RgbFormat<kR565RgGb>("R565.RG-gB", "RGB 5:6:5", 1, 16, 2.0),
    RgbFormat<kR565GbRg>("R565.gB-RG", "RGB 5:6:5", 1, 16, 2.0),
    {"R666.RG-gB-b", "RGB 6:6:6", 1, -1, 18, 2.25, kFourInNine, ReadFourInNineRow, WriteFourInNineRow, {}},
    RgbFormat<kR666Bytes>("R666.Rx-Gx-Bx", "RGB 6:6:6", 1, 18, 3.0),
    RgbFormat<kR666Words>("R666.RxGx-Bx", "RGB 6:6:6", 2, 18, 3.0),
    RgbFormat<kR666Packed>("R666.xR-rG-gB", "RGB 6:6:6", 1, 18, 3.0),
    RgbFormat<kR666PadBytes>("R666.x-Rx-Gx-Bx", "RGB 6:6:6", 1, 18, 4.0),
    RgbFormat<kR666PadWords>("R666.xRx-GxBx", "RGB 6:6:6", 2, 18, 4.0),
    RgbFormat<kR666PadLong>("R666.xRxGxBx", "RGB 6:6:6", 4, 18, 4.0),
    RgbFormat<kR888Long>("R888.xRGB", "RGB 8:8:8", 4, 24, 4.0),
    RgbFormat<kR888BgrX>("R888.B-G-R-x", "RGB 8:8:8", 1, 24, 4.0),
    RgbFormat<kR888Words>("R888.xR-GB", "RGB 8:8:8", 2, 24, 4.0),
    RgbFormat<kR888XRgb>("R888.x-R-G-B", "RGB 8:8:8", 1, 24, 4.0),
    RgbFormat<kR888Rgb>("R888.R-G-B", "RGB 8:8:8", 1, 24, 3.0),
    RgbFormat<kR888Bgr>("R888.B-G-R", "RGB 8:8:8", 1, 24, 3.0),
    RgbFormat<kR888RgB>("R888.RG-B", "RGB 8:8:8", 2, 24, 3.0),
    RgbFormat<kArgb1555>("ARGB1555.ARGB", "aRGB 1:5:5:5", 2, 16, 2.0),
    RgbFormat<kArgb4444>("ARGB4444.ARGB", "aRGB 4:4:4:4", 2, 16, 2.0),
    RgbFormat<kArgb8565>("ARGB8565.ARxGxBx", "aRGB 8:5:6:5", 4, 24, 4.0),
    RgbFormat<kArgb8888>("ARGB8888.ARGB", "aRGB 8:8:8:8", 4, 32, 4.0),
    RgbFormat<kRgba8888>("RGBA8888.RGBA", "aRGB 8:8:8:8", 4, 32, 4.0),
    YuvFormat("Y411.U-Y0-V-Y1-Y2-Y3", "YUV 4:1:1", 1, 0, kYuv411, kY411UV),
    YuvFormat("Y411.V-Y0-U-Y1-Y2-Y3", "YUV 4:1:1", 1, 1, kYuv411, kY411VU),
    YuvFormat("Y411.Y0-U-Y1-V-Y3-Y2", "YUV 4:1:1", 1, 2, kYuv411, kY411YU),
    YuvFormat("Y411.Y0-V-Y1-U-Y3-Y2", "YUV 4:1:1", 1, 3, kYuv411, kY411YV),
    YuvFormat("Y422.UY-VY", "YUV 4:2:2", 2, 0, kYuv422, kY422YUYV),
    YuvFormat("Y422.VY-UY", "YUV 4:2:2", 2, 1, kYuv422, kY422YVYU),
    YuvFormat("Y422.YU-YV", "YUV 4:2:2", 2, 2, kYuv422, kY422UYVY),
    YuvFormat("Y422.YV-YU", "YUV 4:2:2", 2, 3, kYuv422, kY422VYUY),
    YuvFormat("Y422.Y1Y0@VU", "YUV 4:2:2", 2, 4, kYuv422Plane, kYPlane),
    YuvFormat("Y422.Y-U-Y-V", "YUV 4:2:2", 1, 0, kYuv422, kY422YUYV),
    YuvFormat("Y422.Y-V-Y-U", "YUV 4:2:2", 1, 1, kYuv422, kY422YVYU),
    YuvFormat("Y422.U-Y-V-Y", "YUV 4:2:2", 1, 2, kYuv422, kY422UYVY),
    YuvFormat("Y422.V-Y-U-Y", "YUV 4:2:2", 1, 3, kYuv422, kY422VYUY),
    YuvFormat("Y420.YU-YV+Y1Y0-Y3Y2", "YUV 4:2:0", 2, 0, kYuv420Pairs, kY420UYVY01),
    YuvFormat("Y420.Y1Y0-Y3Y2@VU", "YUV 4:2:0", 2, 10, kYuv420Plane, kYPlane),
    YuvFormat("Y420.U-Y-V-Y+Y0-Y1-Y2-Y3", "YUV 4:2:0", 1, 0, kYuv420Pairs, kY420UYVY01),
    YuvFormat("Y420.U-Y-V-Y+Y1-Y0-Y3-Y2", "YUV 4:2:0", 1, 1, kYuv420Pairs, kY420UYVY10),
    YuvFormat("Y420.V-Y-U-Y+Y0-Y1-Y2-Y3", "YUV 4:2:0", 1, 2, kYuv420Pairs, kY420VYUY01),
    YuvFormat("Y420.V-Y-U-Y+Y1-Y0-Y3-Y2", "YUV 4:2:0", 1, 3, kYuv420Pairs, kY420VYUY10),
    YuvFormat("Y420.Y-U-Y-V+Y0-Y1-Y2-Y3", "YUV 4:2:0", 1, 4, kYuv420Pairs, kY420YUYV01),
    YuvFormat("Y420.Y-U-Y-V+Y1-Y0-Y3-Y2", "YUV 4:2:0", 1, 5, kYuv420Pairs, kY420YUYV10),
    YuvFormat("Y420.Y-V-Y-U+Y0-Y1-Y2-Y3", "YUV 4:2:0", 1, 6, kYuv420Pairs, kY420YVYU01),
    YuvFormat("Y420.Y-V-Y-U+Y1-Y0-Y3-Y2", "YUV 4:2:0", 1, 7, kYuv420Pairs, kY420YVYU10),
    YuvFormat("Y420.U-Y-Y+V-Y-Y", "YUV 4:2:0", 1, 8, kYuv420Lines, kY420UYY),
    YuvFormat("Y420.UY-Y+VY-Y", "YUV 4:2:0", 2, 9, kYuv420Odd, kY420UYY),
};
// clang-format on

}  // namespace
static_assert(std::size(kPixelFormats) == kPixelFormatCount);

const PixelFormat& PixelFormatAt(int index) {
  return kPixelFormats[index];
}

bool IsValidFormat(int index) {
  return index >= 0 && index < kPixelFormatCount;
}

bool IsRgbFormat(int index) {
  return IsValidFormat(index) && kPixelFormats[index].variant < 0;
}

int FindPixelFormat(std::string_view name) {
  for (int i = 0; i < kPixelFormatCount; i++) {
    if (EqualsNoCase(name, kPixelFormats[i].name)) return i;
  }
  return -1;
}

const char* GetFormatName(int index) {
  return IsValidFormat(index) ? kPixelFormats[index].name : nullptr;
}

const char* GetFormatDescription(int index) {
  return IsValidFormat(index) ? kPixelFormats[index].description : nullptr;
}

const char* GetFormatSubOrder(int index) {
  return IsValidFormat(index) ? std::strchr(kPixelFormats[index].name, '.') + 1 : nullptr;
}

uint32_t GetFormatAccessSize(int index) {
  return IsValidFormat(index) ? kPixelFormats[index].accessSize : 0;
}

double GetFormatBytesPerPixel(int index) {
  return IsValidFormat(index) ? kPixelFormats[index].bytesPerPixel : 0.0;
}

uint64_t GetFormatLineSize(int index, uint32_t width) {
  return IsValidFormat(index) ? LineSize(kPixelFormats[index], width) : 0;
}

uint64_t GetFormatImageSize(int index, uint32_t width, uint32_t height) {
  if (!IsValidFormat(index)) return 0;
  const PixelFormat& f = kPixelFormats[index];
  return FormatExtent(f, width, height, LineSize(f, width));
}
