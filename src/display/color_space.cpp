#include "display/color_space.h"

#include <algorithm>

namespace {

constexpr int32_t kScale = 10000;

// Three rows of three coefficients in 1/10000: Y (or R), U (or G), V (or B) from R, G, B (or
// from Y, U, V).
struct Matrix {
  int32_t m[3][3];
};

struct Standard {
  const char* name;
  Matrix toYuvFull;    // R, G, B -> Y, U, V (signed chroma)
  Matrix toYuvStudio;  // R, G, B -> Y, U, V before +16, +128, +128
  Matrix toRgbFull;    // Y, U, V (signed chroma) -> R, G, B
  Matrix toRgbStudio;  // Y - 16, U - 128, V - 128 -> R, G, B
};

// clang-format off
constexpr Standard kStandards[kColorStandardCount] = {
    {"ITR BT 709",
     {{{2126, 7152, 722}, {-1150, -3860, 5000}, {5000, -4540, -460}}},
     {{{1826, 6142, 620}, {-1010, -3391, 4392}, {4392, -3988, -404}}},
     {{{10000, 0, 15750}, {10000, -1870, -4680}, {10020, 18550, 0}}},
     {{{11644, 0, 17930}, {11644, -2129, -5328}, {11647, 21117, 0}}}},
    {"ITR BT 470",
     {{{3000, 5900, 1100}, {-1690, -3310, 5000}, {5000, -4210, -790}}},
     {{{2576, 5067, 945}, {-1485, -2908, 4392}, {4392, -3698, -694}}},
     {{{10000, 0, 14000}, {10000, -3330, -7120}, {10000, 17800, 20}}},
     {{{11644, 11, 15938}, {11644, -3791, -8105}, {11644, 20263, 23}}}},
    {"ITR BT 601",
     {{{2990, 5870, 1140}, {-1690, -3310, 5000}, {5000, -4190, -810}}},
     {{{2570, 5040, 980}, {-1480, -2910, 4390}, {4390, -3680, -710}}},
     {{{10000, 0, 14020}, {10000, -3440, -7140}, {10000, 17720, 0}}},
     {{{11644, 0, 15960}, {11644, -3916, -8128}, {11644, 20172, 0}}}},
    {"SMPTE 170M",
     {{{2990, 5870, 1140}, {-1690, -3310, 5000}, {5000, -4190, -810}}},
     {{{2568, 5041, 979}, {-1485, -2908, 4392}, {4392, -3681, -712}}},
     {{{10000, 0, 14020}, {10000, -3440, -7140}, {10000, 17720, 0}}},
     {{{11644, 0, 15960}, {11644, -3916, -8128}, {11644, 20172, 0}}}},
    {"SMPTE 240M",
     {{{2120, 7010, 870}, {-1160, -3840, 5000}, {5000, -4450, -550}}},
     {{{1821, 6020, 747}, {-1019, -3373, 4392}, {4392, -3909, -783}}},
     {{{10000, 0, 15760}, {10000, -2260, -4770}, {10000, 18260, 0}}},
     {{{11644, 0, 17941}, {11644, -2573, -5430}, {11644, 20787, 0}}}},
};
// clang-format on

struct ConverterState {
  int standard = 2;
};
ConverterState Converter;

// Row k of the matrix applied to (a, b, c), plus offset (in 1/10000), truncated toward zero.
int32_t Apply(const Matrix& m, int k, int32_t a, int32_t b, int32_t c, int32_t offset) {
  return (m.m[k][0] * a + m.m[k][1] * b + m.m[k][2] * c + offset) / kScale;
}

uint8_t Clamp(int32_t v, int32_t low, int32_t high) {
  return static_cast<uint8_t>(std::clamp(v, low, high));
}

// A stored chroma sample as a signed value around zero.
int32_t SignedChroma(uint8_t stored, bool offset) {
  return offset ? stored - 128 : static_cast<int8_t>(stored);
}

}  // namespace

bool GetStandardName(int standard, const char** name) {
  if (standard < 0 || standard >= kColorStandardCount) return false;
  *name = kStandards[standard].name;
  return true;
}

bool SetStandard(int standard) {
  if (standard < 0 || standard >= kColorStandardCount) return false;
  Converter.standard = standard;
  return true;
}

int GetStandard() {
  return Converter.standard;
}

void RgbToYuv(Pixel* pixels, uint32_t count, YuvCoding coding) {
  const Standard& s = kStandards[Converter.standard];
  for (uint32_t i = 0; i < count; i++) {
    Pixel& p = pixels[i];
    int32_t y = 0, u = 0, v = 0;
    if (coding.studioRange) {
      const Matrix& m = s.toYuvStudio;
      y = Clamp(Apply(m, 0, p.r, p.g, p.b, 16 * kScale), 0, 255);
      u = Clamp(Apply(m, 1, p.r, p.g, p.b, 128 * kScale), 0, 255) - 128;
      v = Clamp(Apply(m, 2, p.r, p.g, p.b, 128 * kScale), 0, 255) - 128;
    } else {
      const Matrix& m = s.toYuvFull;
      y = Clamp(Apply(m, 0, p.r, p.g, p.b, 0), 0, 255);
      u = std::clamp(Apply(m, 1, p.r, p.g, p.b, 0), -128, 127);
      v = std::clamp(Apply(m, 2, p.r, p.g, p.b, 0), -128, 127);
    }
    int32_t bias = coding.chromaOffset ? 128 : 0;
    p.y = static_cast<uint8_t>(y);
    p.u = static_cast<uint8_t>(u + bias);
    p.v = static_cast<uint8_t>(v + bias);
  }
}

void YuvToRgb(Pixel* pixels, uint32_t count, YuvCoding coding) {
  const Standard& s = kStandards[Converter.standard];
  const Matrix& m = coding.studioRange ? s.toRgbStudio : s.toRgbFull;
  int32_t lumaBase = coding.studioRange ? 16 : 0;
  for (uint32_t i = 0; i < count; i++) {
    Pixel& p = pixels[i];
    int32_t y = p.y - lumaBase;
    int32_t u = SignedChroma(p.u, coding.chromaOffset);
    int32_t v = SignedChroma(p.v, coding.chromaOffset);
    p.r = Clamp(Apply(m, 0, y, u, v, 0), 0, 255);
    p.g = Clamp(Apply(m, 1, y, u, v, 0), 0, 255);
    p.b = Clamp(Apply(m, 2, y, u, v, 0), 0, 255);
  }
}
