// The pixel-format table and the converter: the table checked against its own notation, every
// format packed and unpacked, hand-computed bytes of each family, colour standards, clipping,
// buffer limits and the access hook.
#include "display/pixel_format.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/helper.h"
#include "display/image.h"

namespace {

using Bytes = std::vector<uint8_t>;

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts(1);
  for (char c : text) {
    if (c == separator) {
      parts.emplace_back();
    } else {
      parts.back() += c;
    }
  }
  return parts;
}

// Samples (Y, Y0.., U, V) of one layout group.
int CountSamples(const std::string& group, bool lumaOnly) {
  int n = 0;
  for (char c : group) n += c == 'Y' || (!lumaOnly && (c == 'U' || c == 'V'));
  return n;
}

TEST(PixelFormatTable, AgreesWithItsNotation) {
  std::set<std::string> names;
  for (int i = 0; i < kPixelFormatCount; i++) {
    const PixelFormat& f = PixelFormatAt(i);
    SCOPED_TRACE(f.name);
    std::string name = f.name;
    std::string lower = name;
    for (char& c : lower) c = static_cast<char>(std::tolower(c));
    EXPECT_TRUE(names.insert(lower).second) << "duplicate name";
    EXPECT_EQ(FindPixelFormat(lower), i);
    EXPECT_EQ(name.substr(name.find('.') + 1), GetFormatSubOrder(i));
    // "R565" and "RGB 5:6:5" carry the same digits; RGB bits add up to the pixel's.
    std::string code = name.substr(0, name.find('.'));
    std::string digits, described;
    for (char c : code)
      digits += std::isdigit(static_cast<unsigned char>(c)) ? std::string(1, c) : "";
    int sum = 0;
    for (const char* c = f.description; *c; c++) {
      if (std::isdigit(static_cast<unsigned char>(*c))) {
        described += *c;
        sum += *c - '0';
      }
    }
    EXPECT_EQ(digits, described);
    std::string sub = GetFormatSubOrder(i);
    if (IsRgbFormat(i)) {
      EXPECT_EQ(f.bitsPerPixel, sum);
      EXPECT_EQ(f.bitsPerPixel <= 8 * f.bytesPerPixel, true);
      size_t units = Split(sub, '-').size();
      EXPECT_EQ(units, static_cast<size_t>(std::ceil(f.bytesPerPixel / f.accessSize)))
          << "units of the sub-order";
      EXPECT_EQ(sub.find('A') != std::string::npos, f.description[0] == 'a');
      continue;
    }
    bool is422 = code == "Y422";
    EXPECT_EQ(f.bitsPerPixel, is422 ? -16 : -12);
    EXPECT_DOUBLE_EQ(f.bytesPerPixel, is422 ? 2.0 : 1.5);
    // Bytes per pixel from the samples of each group, per line.
    std::vector<std::string> lines = Split(sub.substr(0, sub.find('@')), '+');
    double bytes = 0;
    for (const std::string& line : lines) {
      bytes += static_cast<double>(CountSamples(line, false)) / CountSamples(line, true);
    }
    bytes /= static_cast<double>(lines.size());
    if (sub.find('@') != std::string::npos) bytes = code == "Y420" ? 1.5 : 2.0;  // planes
    EXPECT_DOUBLE_EQ(bytes, f.bytesPerPixel);
  }
  EXPECT_EQ(FindPixelFormat("r565.rgb"), 5);
  EXPECT_EQ(FindPixelFormat("R565"), -1);
  EXPECT_EQ(GetFormatName(kPixelFormatCount), nullptr);
  EXPECT_FALSE(IsRgbFormat(-1));
}

TEST(PixelFormatTable, LineAndImageSizes) {
  struct Row {
    const char* format;
    uint32_t width, height;
    uint64_t line, image;
  };
  const Row rows[] = {
      {"R565.RGB", 3, 2, 6, 12},
      {"R444.GB-R", 3, 1, 5, 5},       // floor(4.5 + 0.5)
      {"R666.RG-gB-b", 5, 1, 12, 12},  // floor(11.25 + 0.75)
      {"R888.RG-B", 3, 2, 10, 20},     // 9 rounded up to even
      {"Y411.U-Y0-V-Y1-Y2-Y3", 5, 1, 12, 12},
      {"Y422.YU-YV", 3, 2, 8, 16},
      {"Y422.Y1Y0@VU", 3, 2, 4, 16},          // the packed form's size
      {"Y420.YU-YV+Y1Y0-Y3Y2", 3, 3, 6, 24},  // height rounded up to even
      {"Y420.Y1Y0-Y3Y2@VU", 4, 2, 4, 12},
      {"Y420.UY-Y+VY-Y", 2, 2, 4, 8},
  };
  for (const Row& r : rows) {
    int f = FindPixelFormat(r.format);
    EXPECT_EQ(GetFormatLineSize(f, r.width), r.line) << r.format;
    EXPECT_EQ(GetFormatImageSize(f, r.width, r.height), r.image) << r.format;
  }
}

// An image of the named format over buffer.
ImageDesc Image(const char* format, Bytes& buffer, uint32_t width, uint32_t height,
                YuvCoding coding = {}) {
  ImageDesc d;
  d.buffer = buffer.data();
  d.bufferSize = buffer.size();
  d.formatName = format;
  d.width = width;
  d.height = height;
  d.coding = coding;
  return d;
}

// Converts width x height pixels of 24-bit R, G, B into the format and returns its bytes.
Bytes Pack(const char* format, Bytes rgb, uint32_t width, uint32_t height, YuvCoding coding = {}) {
  Bytes out(GetFormatImageSize(FindPixelFormat(format), width, height), 0xEE);
  EXPECT_EQ(ConvertImage(Image("R888.R-G-B", rgb, width, height),
                         Image(format, out, width, height, coding)),
            out.size());
  return out;
}

Bytes Unpack(const char* format, Bytes packed, uint32_t width, uint32_t height,
             YuvCoding coding = {}) {
  Bytes rgb(3ull * width * height);
  EXPECT_EQ(ConvertImage(Image(format, packed, width, height, coding),
                         Image("R888.R-G-B", rgb, width, height)),
            rgb.size());
  return rgb;
}

TEST(PixelFormatPacking, EveryFormatGivesItsColoursBackWithinItsPrecision) {
  const uint32_t colours[] = {0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF,
                              0x808080, 0x123456, 0xC0FFEE, 0x7F7F00, 0x3A9DF1};
  for (int i = 0; i < kPixelFormatCount; i++) {
    const PixelFormat& f = PixelFormatAt(i);
    // Per component: the precision of the narrowest field, or of the YUV round trip.
    int bits = 8;
    for (const char* c = f.description; *c; c++) {
      if (std::isdigit(static_cast<unsigned char>(*c)) && *c - '0' < bits) bits = *c - '0';
    }
    int tolerance = IsRgbFormat(i) ? (1 << (8 - bits)) - 1 : 4;
    for (uint32_t colour : colours) {
      SCOPED_TRACE(std::string(f.name) + " colour " + std::to_string(colour));
      // A solid 5 x 3 block, so that odd widths, odd heights and shared chroma are all met.
      Bytes rgb;
      for (int p = 0; p < 15; p++) {
        for (int shift : {16, 8, 0}) rgb.push_back(static_cast<uint8_t>(colour >> shift));
      }
      YuvCoding coding{true, false};
      Bytes back = Unpack(f.name, Pack(f.name, rgb, 5, 3, coding), 5, 3, coding);
      ASSERT_EQ(back.size(), rgb.size());
      for (size_t k = 0; k < rgb.size(); k++) {
        EXPECT_LE(std::abs(back[k] - rgb[k]), tolerance) << "byte " << k;
      }
    }
  }
}

TEST(PixelFormatPacking, HandComputedBytes) {
  struct Row {
    const char* format;
    Bytes rgb;  // R, G, B per pixel
    Bytes packed;
  };
  const Row rows[] = {
      {"R565.RGB", {0xFF, 0x80, 0x00}, {0x00, 0xFC}},
      {"R565.RG-gB", {0xFF, 0x80, 0x00}, {0xFC, 0x00}},
      {"R565.gB-RG", {0xFF, 0x80, 0x00}, {0x00, 0xFC}},
      {"R888.xRGB", {0x11, 0x22, 0x33}, {0x33, 0x22, 0x11, 0x00}},
      {"R888.B-G-R-x", {0x11, 0x22, 0x33}, {0x33, 0x22, 0x11, 0x00}},
      {"R888.xR-GB", {0x11, 0x22, 0x33}, {0x11, 0x00, 0x33, 0x22}},
      // R, G, B at 1, 0, 3 for pixel 0 and at 2, 5, 4 for pixel 1.
      {"R888.RG-B", {0x11, 0x22, 0x33, 0x44, 0x55, 0x66}, {0x22, 0x11, 0x44, 0x33, 0x66, 0x55}},
      {"R444.GB-R", {0x10, 0x20, 0x30, 0x40, 0x50, 0x60}, {0x23, 0x61, 0x45}},
      // Pixels r6:g6:b6 = 3F:00:3F, 00:3F:00, 15:2A:15, 01:02:03; low blue bits 3, 0, 1, 3.
      {"R666.RG-gB-b",
       {0xFC, 0x00, 0xFC, 0x00, 0xFC, 0x00, 0x54, 0xA8, 0x54, 0x04, 0x08, 0x0C},
       {0xFC, 0x0F, 0x03, 0xF0, 0x56, 0xA5, 0x04, 0x20, 0xD3}},
      {"R666.xR-rG-gB", {0xFC, 0x04, 0x08}, {0x03, 0xF0, 0x42}},
      {"R666.RxGx-Bx", {0xFC, 0x04, 0x08}, {0x04, 0xFC, 0xEE, 0x08}},  // byte 2: the next pixel's
      {"ARGB8565.ARxGxBx", {0xFF, 0x80, 0x08}, {0x08, 0x80, 0xF8, 0x00}},
  };
  for (const Row& r : rows) {
    uint32_t width = static_cast<uint32_t>(r.rgb.size() / 3);
    EXPECT_EQ(Pack(r.format, r.rgb, width, 1), r.packed) << r.format;
  }
  // Reading widens the 5- and 6-bit fields: FC00h gives FFh, 83h, 00h.
  EXPECT_EQ(Unpack("R565.RGB", {0x00, 0xFC}, 1, 1), (Bytes{0xFF, 0x83, 0x00}));
  EXPECT_EQ(Unpack("R565.RGB", {0x00, 0x80, 0x1F, 0x78}, 2, 1),
            (Bytes{0x87, 0x00, 0x00, 0x78, 0x00, 0xFF}));
}

TEST(PixelFormatPacking, YuvGroups) {
  const Bytes white = {0xFF, 0xFF, 0xFF};
  // Full range, standard 2, chroma offset: Y clamps at FFh; studio range gives EBh.
  EXPECT_EQ(Pack("Y422.Y-U-Y-V", white, 1, 1, {true, false}), (Bytes{0xFF, 0x80, 0xFF, 0x80}));
  EXPECT_EQ(Pack("Y422.Y-U-Y-V", white, 1, 1, {true, true}), (Bytes{0xEB, 0x80, 0xEB, 0x80}));
  // Signed chroma: red has V = 127 (0.5 x 255 truncated) and U = -43.
  EXPECT_EQ(Pack("Y422.U-Y-V-Y", {0xFF, 0, 0}, 1, 1), (Bytes{0xD5, 0x4C, 0x7F, 0x4C}));
  // A 3-pixel line: 8 bytes, the second pair holding the third pixel's luma twice.
  Bytes three = {0, 0, 0, 0xFF, 0xFF, 0xFF, 0x80, 0x80, 0x80};
  EXPECT_EQ(Pack("Y422.Y-U-Y-V", three, 3, 1, {true, false}),
            (Bytes{0x00, 0x80, 0xFF, 0x80, 0x80, 0x80, 0x80, 0x80}));
  // 4:2:0 pairs: first line U Y0 V Y1, then the second line's lumas; the chroma is the first
  // pixel's.
  Bytes block = {0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(Pack("Y420.U-Y-V-Y+Y0-Y1-Y2-Y3", block, 2, 2, {true, false}),
            (Bytes{0x80, 0xFF, 0x80, 0x00, 0x00, 0xFF}));
  EXPECT_EQ(Pack("Y420.U-Y-Y+V-Y-Y", block, 2, 2, {true, false}),
            (Bytes{0x80, 0xFF, 0x00, 0x80, 0x00, 0xFF}));
  EXPECT_EQ(Pack("Y420.Y1Y0-Y3Y2@VU", block, 2, 2, {true, false}),
            (Bytes{0xFF, 0x00, 0x00, 0xFF, 0x80, 0x80}));
  // YY, UU, VV as a studio-range pixel pair.
  EXPECT_EQ(YuvToRgbColor(0x00EB8080), 0xFFFFFFu);
  EXPECT_EQ(YuvToRgbColor(0x00108080), 0x000000u);
}

TEST(ColourStandards, NamesAndWhite) {
  const char* name = nullptr;
  EXPECT_TRUE(GetStandardName(2, &name));
  EXPECT_STREQ(name, "ITR BT 601");
  EXPECT_FALSE(GetStandardName(5, &name));
  EXPECT_FALSE(SetStandard(-1));
  EXPECT_EQ(GetStandard(), 2);
  for (int standard = 0; standard < kColorStandardCount; standard++) {
    ASSERT_TRUE(SetStandard(standard));
    Pixel p{0, 0xFF, 0xFF, 0xFF, 0, 0, 0};
    RgbToYuv(&p, 1, {true, true});
    EXPECT_EQ(p.y, standard == 2 ? 235 : 234) << standard;  // 0.859 x 255 or 0.8588 x 255, +16
    YuvToRgb(&p, 1, {true, true});
    if (standard == 2) {
      EXPECT_EQ(p.r, 0xFF);
    }
  }
  SetStandard(2);
}

TEST(ConvertImage, ClipsToTheSmallerImageAndRefusesShortBuffers) {
  Bytes rgb = {1, 2, 3, 4, 5, 6};  // 2 x 1
  Bytes out(3 * 3 * 2, 0xEE);      // 3 x 2 destination
  EXPECT_EQ(ConvertImage(Image("R888.R-G-B", rgb, 2, 1), Image("R888.R-G-B", out, 3, 2)), 6u);
  EXPECT_EQ(out[5], 6);
  EXPECT_EQ(out[6], 0xEE);  // beyond the source: untouched
  EXPECT_EQ(out[9], 0xEE);

  Bytes small(5, 0xEE);
  EXPECT_EQ(ConvertImage(Image("R888.R-G-B", rgb, 2, 1), Image("R888.R-G-B", small, 2, 1)), 0u);
  EXPECT_EQ(small, Bytes(5, 0xEE));
  Bytes shortSource(5);
  EXPECT_EQ(ConvertImage(Image("R888.R-G-B", shortSource, 2, 1), Image("R565.RGB", out, 2, 1)), 0u);
  EXPECT_EQ(ConvertImage(Image("R999.RGB", rgb, 2, 1), Image("R565.RGB", out, 2, 1)), 0u);

  // An origin places the rectangle; the buffer must reach its far corner.
  ImageDesc placed = Image("R888.R-G-B", out, 2, 1);
  placed.x = 1;
  placed.y = 1;
  placed.stride = 9;
  EXPECT_EQ(ConvertImage(Image("R888.R-G-B", rgb, 2, 1), placed), 6u);
  EXPECT_EQ(Bytes(out.begin() + 12, out.end()), (Bytes{1, 2, 3, 4, 5, 6}));
  placed.y = 2;
  EXPECT_EQ(ConvertImage(Image("R888.R-G-B", rgb, 2, 1), placed), 0u);
}

TEST(PixelColors, ReadAndWriteSinglePixels) {
  Bytes pair = {0x10, 0x80, 0x20, 0x80};  // Y422.Y-U-Y-V
  ImageDesc image = Image("Y422.Y-U-Y-V", pair, 2, 1, {true, false});
  WritePixelColor(image, 1, 0, 0x00FFFFFF);
  EXPECT_EQ(pair, (Bytes{0x10, 0x80, 0xFF, 0x80}));  // its luma, and the pair's chroma
  EXPECT_EQ(ReadPixelColor(image, 1, 0), 0x00FFFFFFu);
  WritePixelColor(image, 2, 0, 0);  // outside: nothing
  EXPECT_EQ(ReadPixelColor(image, 0, 1), 0u);
  Bytes argb(4);
  ImageDesc alpha = Image("ARGB4444.ARGB", argb, 2, 1);
  WritePixelColor(alpha, 0, 0, 0xF0112233);
  EXPECT_EQ(ReadPixelColor(alpha, 0, 0), 0xFF102030u);
}

// A hook over a byte array that records the widths and operations it is asked for.
struct HookLog {
  Bytes memory = Bytes(64);
  std::vector<std::string> calls;
};
HookLog* Log = nullptr;

uint32_t RecordingHook(uint32_t address, uint32_t value, uint32_t bits, AccessOp op) {
  Bytes& m = Log->memory;
  static const char* const kOps[] = {"RD", "WR", "AND", "OR"};
  Log->calls.push_back(std::string(kOps[static_cast<int>(op)]) + std::to_string(bits));
  uint32_t old = bits == 8 ? m[address] : m[address] | m[address + 1] << 8;
  uint32_t now = op == AccessOp::kWrite ? value
                 : op == AccessOp::kAnd ? old & value
                 : op == AccessOp::kOr  ? old | value
                                        : old;
  m[address] = static_cast<uint8_t>(now);
  if (bits == 16) m[address + 1] = static_cast<uint8_t>(now >> 8);
  return old;
}

TEST(AccessHook, GivesTheSameBytesAsHostMemoryOneUnitAtATime) {
  HookLog log;
  Log = &log;
  const Bytes rgb = {0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x80, 0x90};
  for (const char* format : {"R565.RGB", "R888.RG-B", "R444.GB-R", "Y422.YU-YV", "R888.xRGB"}) {
    SCOPED_TRACE(format);
    log.memory.assign(64, 0xEE);
    log.calls.clear();
    ImageDesc hooked;
    hooked.hook = RecordingHook;
    hooked.address = 8;
    hooked.bufferSize = 56;
    hooked.formatName = format;
    hooked.width = 3;
    hooked.height = 1;
    Bytes source = rgb;
    ASSERT_GT(ConvertImage(Image("R888.R-G-B", source, 3, 1), hooked), 0u);
    Bytes direct = Pack(format, rgb, 3, 1);
    EXPECT_EQ(Bytes(log.memory.begin() + 8, log.memory.begin() + 8 + direct.size()), direct);
    uint32_t bits = GetFormatAccessSize(FindPixelFormat(format)) == 1 ? 8 : 16;
    for (const std::string& call : log.calls) {
      EXPECT_TRUE(call.ends_with(std::to_string(bits))) << call;
    }
    log.calls.clear();
    EXPECT_EQ(Unpack(format, direct, 3, 1), [&] {
      Bytes back(9);
      ConvertImage(hooked, Image("R888.R-G-B", back, 3, 1));
      return back;
    }());
  }
  // Pixels sharing a byte or a unit are merged with AND and OR, whole units written at once.
  log.memory.assign(64, 0xFF);
  log.calls.clear();
  ImageDesc one;
  one.hook = RecordingHook;
  one.bufferSize = 64;
  one.formatName = "R444.GB-R";
  one.width = 2;
  one.height = 1;
  WritePixelColor(one, 1, 0, 0);
  EXPECT_EQ(log.calls, (std::vector<std::string>{"AND8", "OR8", "WR8"}));
  EXPECT_EQ(Bytes(log.memory.begin(), log.memory.begin() + 3), (Bytes{0xFF, 0x0F, 0x00}));
  Log = nullptr;
}

}  // namespace
