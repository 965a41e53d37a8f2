// The two colour look-up tables and the host write window.
#include "hal/hal.h"
#include "platform/assert.h"

namespace {

struct LutPorts {
  uint32_t counter;
  uint32_t data;
};
constexpr LutPorts kLcdLut = {0x0500, 0x0502};   // LCDLUT_COUNTER, LCDLUT_DATAPORT
constexpr LutPorts kPip2Lut = {0x0400, 0x0402};  // PIP2LUT_COUNTER, PIP2LUT_DATAPORT
constexpr uint32_t kDisplayMode0 = 0x0200;       // DISPLAY_MODE_0: LUT bypass bits
constexpr uint32_t kHostConfig = 0x0180;         // HOST_CONFIG: HWC control
constexpr uint32_t kHwcOffset = 0x0186;          // HWC_WR_ADDR_OFF
constexpr uint32_t kHwcHSize = 0x0188;           // HWC_WR_HSIZE
constexpr uint32_t kHwcVSize = 0x018A;           // HWC_WR_VSIZE
constexpr uint32_t kMemSaddr0 = 0x0182;          // MEM_SADDR_0 (and _1 above it)
constexpr uint32_t kMemPort = 0x018C;            // MEM_ACCESS_PORT
constexpr uint32_t kLutEntries = 256;

LutPorts PortsOf(uint32_t window) {
  return window == kPip2LutWindow ? kPip2Lut : kLcdLut;
}

// An entry goes through the data port as green * 100h + blue, then red.
void WriteEntry(const LutPorts& lut, const uint8_t* rgb) {
  qvWriteReg16(lut.data, static_cast<uint32_t>(rgb[1]) << 8 | rgb[2]);
  qvWriteReg16(lut.data, rgb[0]);
}

}  // namespace

uint32_t qvLcdGetGammaTableEntry(uint32_t index, uint32_t window) {
  if (index >= kLutEntries) HalAssert("qvLcdGetGammaTableEntry() Index must be between 0 and 255.");
  LutPorts lut = PortsOf(window);
  qvWriteReg16(lut.counter, index);
  uint32_t greenBlue = qvReadReg16(lut.data);
  uint32_t red = qvReadReg16(lut.data) & 0xFF;
  return red | (greenBlue >> 8 & 0xFF) << 8 | (greenBlue & 0xFF) << 16;
}

void qvLcdSetGammaTableEntry(uint32_t index, const uint8_t* rgb, uint32_t window) {
  if (index >= kLutEntries) HalAssert("qvLcdSetGammaTableEntry() Index must be between 0 and 255.");
  LutPorts lut = PortsOf(window);
  qvWriteReg16(lut.counter, index);
  if (rgb != nullptr) WriteEntry(lut, rgb);
}

void qvLcdSetGammaTable(uint32_t start, const uint8_t* entries, uint32_t count, uint32_t window) {
  if (start >= kLutEntries) HalAssert("qvLcdSetGammaTable() StartIndex must be between 0 and 255.");
  if (static_cast<uint64_t>(start) + count > kLutEntries) {
    HalAssert("qvLcdSetGammaTable() StartIndex+Count exceeds palette size.");
  }
  LutPorts lut = PortsOf(window);
  qvWriteReg16(lut.counter, start);
  if (entries == nullptr) return;
  for (uint32_t i = 0; i < count; i++) WriteEntry(lut, entries + 4 * i);
}

void qvLcdSetGammaRamp(uint32_t window) {
  LutPorts lut = PortsOf(window);
  qvWriteReg16(lut.counter, 0);
  for (uint32_t i = 0; i < kLutEntries; i++) {
    uint8_t grey[3] = {static_cast<uint8_t>(i), static_cast<uint8_t>(i), static_cast<uint8_t>(i)};
    WriteEntry(lut, grey);
  }
}

bool qvLcdIsLutBypassed(uint32_t window) {
  if (window == 4) return true;
  uint32_t bit = window == kPip2LutWindow ? 0x0010 : 0x0020;
  return (qvReadReg16(kDisplayMode0) & bit) != 0;
}

void qvLcdSetWindowImageFormat(uint32_t dataType, bool swap) {
  qvModifyReg16(kHostConfig, 0x00F0, static_cast<uint16_t>(dataType * 0x20 | (swap ? 0x0010 : 0)));
}

namespace {

// The first pixel the window engine writes, for the rotation and mirror; offsets that start a
// pixel pair going backwards are odd.
uint32_t StartPixel(uint32_t x, uint32_t y, uint32_t w, uint32_t h, uint32_t s, uint32_t rotation,
                    bool mirror) {
  auto even = [](uint32_t p) { return p & ~1u; };
  auto odd = [](uint32_t p) { return p | 1u; };
  switch (rotation) {
    case 90:
      return mirror ? even(y * s + x) : odd(x + h + y * s - 1);
    case 180:
      return mirror ? even((y + h - 1) * s + x) : odd(x + w + (y + h - 1) * s - 1);
    case 270:
      return mirror ? odd(x + h + (y + w - 1) * s - 1) : even((y + w - 1) * s + x);
    default:
      return mirror ? odd(x + w + y * s - 1) : even(y * s + x);
  }
}

uint16_t RotationBits(uint32_t rotation) {
  return static_cast<uint16_t>(rotation == 90 ? 2 : rotation == 180 ? 4 : rotation == 270 ? 6 : 0);
}

}  // namespace

void qvLcdDrawWindowImage(uint32_t windowBase, uint32_t x, uint32_t y, uint32_t width,
                          uint32_t height, uint32_t stride, uint32_t rotation, bool mirror,
                          const uint16_t* image) {
  if (windowBase & 1) HalAssert("qvLcdDrawWindowImage() Offset must be multiples of 2.");
  qvWriteReg16(kHwcHSize, width - 2);
  qvWriteReg16(kHwcVSize, height - 1);
  qvWriteReg16(kHwcOffset, stride * 2);
  if (rotation == 0 || rotation == 90 || rotation == 180 || rotation == 270) {
    qvModifyReg16(kHostConfig, 0x0006, RotationBits(rotation));
  }
  if (mirror) {
    qvSetBitsReg16(kHostConfig, 0x0008);
  } else {
    qvClearBitsReg16(kHostConfig, 0x0008);
  }
  uint32_t dataType = qvReadReg16(kHostConfig) >> 5 & 7;
  bool yuv420 = dataType == 2 || dataType == 3;
  if (yuv420 && (x & 3)) {
    HalAssert("qvLcdDrawWindowImage() XStart must be multiples of 4 in YUV420 mode.");
  } else if (!yuv420 && (x & 1)) {
    HalAssert("qvLcdDrawWindowImage() XStart must be multiples of 2 in non YUV420 mode.");
  }
  uint32_t p = StartPixel(x, y, width, height, stride, rotation, mirror);
  qvWriteReg32(kMemSaddr0, (windowBase + 2 * p) & ~1u);
  qvSetBitsReg16(kHostConfig, 0x0001);
  uint32_t factor = yuv420 ? 3 : 4;
  qvBurstWriteReg16(kMemPort, image, static_cast<uint32_t>(uint64_t{width} * height * factor / 4));
}
