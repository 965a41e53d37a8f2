// DRAW on the simulated board. What must be in memory is computed here from the windows' layout:
// a 565 pixel (x, y) of a W-wide window at B is the 16-bit word at B + 2 (yW + x), for any x and
// y, since nothing is clipped; a "Y422.YU-YV" pixel is the luma byte of its pair U Y0 V Y1, whose
// chroma it also sets.
#include "display/draw_command.h"

#include <algorithm>
#include <set>
#include <utility>
#include <vector>

#include "sim_board.h"

namespace {

constexpr uint32_t kW = 16, kH = 8, kBase = 0x1000;          // MAIN1, R565.RGB
constexpr uint32_t kYuvW = 8, kYuvH = 4, kYuvBase = 0x2000;  // PIP1, Y422.YU-YV
constexpr uint32_t kAround = 0x200;  // bytes checked on either side of a window
constexpr uint8_t kUntouched = 0xA5;

using Pixels = std::vector<std::pair<int, int>>;

Pixels Span(int x1, int y1, int x2, int y2) {  // a straight run, ends included
  Pixels p;
  for (int y = std::min(y1, y2); y <= std::max(y1, y2); y++) {
    for (int x = std::min(x1, x2); x <= std::max(x1, x2); x++) p.emplace_back(x, y);
  }
  return p;
}

Pixels Join(std::initializer_list<Pixels> parts) {
  Pixels all;
  for (const Pixels& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

// The glyph of "A" as the font's definition gives it, at (x, y): its set bits, or its clear ones.
Pixels GlyphA(int x, int y, bool set) {
  const uint8_t rows[8] = {0x30, 0x78, 0xCC, 0xCC, 0xFC, 0xCC, 0xCC, 0x00};
  Pixels p;
  for (int r = 0; r < 8; r++) {
    for (int b = 0; b < 8; b++) {
      if (((rows[r] << b & 0x80) != 0) == set) p.emplace_back(x + b, y + r);
    }
  }
  return p;
}

class DrawTest : public SimBoardTest {
 protected:
  void SetUp() override {
    SimBoardTest::SetUp();
    Set("main1width", kW);
    Set("main1height", kH);
    Set("main1saddr", kBase);
    Set("pip1width", kYuvW);
    Set("pip1height", kYuvH);
    Set("pip1saddr", kYuvBase);
    Set("hwc", 1);  // the PIP windows take the host data type's format: 0, YUV 4:2:2
    Set("datatype", 0);
  }

  void Clear(uint32_t base, uint32_t bytes) {
    std::memset(Memory() + base - kAround, kUntouched, bytes + 2 * kAround);
  }

  // The 565 window around itself as it must be: untouched but for the pixels in colour.
  std::vector<uint8_t> Expect565(const Pixels& pixels, uint16_t colour) {
    std::vector<uint8_t> m(kW * kH * 2 + 2 * kAround, kUntouched);
    for (auto [x, y] : pixels) {
      int64_t at = kAround + 2 * (int64_t{y} * kW + x);
      m.at(at) = static_cast<uint8_t>(colour);
      m.at(at + 1) = static_cast<uint8_t>(colour >> 8);
    }
    return m;
  }

  std::vector<uint8_t> Expect422(const Pixels& pixels, uint8_t y, uint8_t u, uint8_t v) {
    std::vector<uint8_t> m(kYuvW * kYuvH * 2 + 2 * kAround, kUntouched);
    for (auto [px, py] : pixels) {
      int64_t p = int64_t{py} * kYuvW + px;  // lines go on past the edges
      int64_t line = p >= 0 ? p / kYuvW : (p - kYuvW + 1) / kYuvW;
      int64_t column = p - line * kYuvW;
      int64_t pair = kAround + line * kYuvW * 2 + column / 2 * 4;
      m.at(pair) = u;
      m.at(pair + 1 + 2 * (column & 1)) = y;
      m.at(pair + 2) = v;
    }
    return m;
  }

  std::vector<uint8_t> Around(uint32_t base, uint32_t bytes) {
    return std::vector<uint8_t>(Memory() + base - kAround, Memory() + base + bytes + kAround);
  }
};

TEST_F(DrawTest, ShapesInA565WindowLandOnTheirPixelsOnly) {
  const struct {
    const char* line;
    Pixels pixels;
    uint16_t colour;
  } rows[] = {
      {"draw main1 line 0 0 15 0 FFFFFF", Span(0, 0, 15, 0), 0xFFFF},  // top edge
      {"draw line 0 7 15 7 FF0000", Span(0, 7, 15, 7), 0xF800},        // bottom edge
      {"draw line 0 0 0 7 00FF00", Span(0, 0, 0, 7), 0x07E0},          // left edge
      {"draw line 15 7 15 0 R0000FF", Span(15, 0, 15, 7), 0x001F},     // right edge
      {"draw box 2 1 6 4 FFFF00",  // four sides, the inside untouched
       Join({Span(2, 1, 7, 1), Span(2, 4, 7, 4), Span(2, 2, 2, 3), Span(7, 2, 7, 3)}), 0xFFE0},
      {"draw rect 3 2 5 4 0,FF,FF", Span(3, 2, 7, 5), 0x07FF},
      {"draw rect 5 5 1 1 FFFFFF", Span(5, 5, 5, 5), 0xFFFF},
      {"draw box 5 5 1 1 FFFFFF", Span(5, 5, 5, 5), 0xFFFF},
      {"draw text 8 0 FFFFFF FFFFFF \"A\"", GlyphA(8, 0, true), 0xFFFF},  // transparent
      {"draw rect 0 0 1 1 YEB8080", Span(0, 0, 0, 0), 0xFFFF},            // studio white
      // Past each edge the window's lines go on.
      {"draw line 14 2 17 2 FFFFFF", Span(14, 2, 17, 2), 0xFFFF},
      {"draw line 0-2 3 1 3 FFFFFF", Span(-2, 3, 1, 3), 0xFFFF},
      {"draw line 3 0-1 3 0 FFFFFF", Span(3, -1, 3, 0), 0xFFFF},
      {"draw line 4 7 4 9 FFFFFF", Span(4, 7, 4, 9), 0xFFFF},
  };
  for (const auto& row : rows) {
    Clear(kBase, kW * kH * 2);
    std::string output;
    EXPECT_TRUE(Run(kDrawRow, row.line, &output)) << row.line << output;
    EXPECT_EQ(Around(kBase, kW * kH * 2), Expect565(row.pixels, row.colour)) << row.line;
  }
}

TEST_F(DrawTest, OpaqueTextFillsItsCellsWithBothColours) {
  Clear(kBase, kW * kH * 2);
  ASSERT_TRUE(Run(kDrawRow, "draw main1 text 8 0 FF0000 0 \"A\""));
  std::vector<uint8_t> expected = Expect565(GlyphA(8, 0, true), 0xF800);
  std::vector<uint8_t> background = Expect565(GlyphA(8, 0, false), 0x0000);
  for (size_t i = 0; i < expected.size(); i++) {
    if (background[i] != kUntouched) expected[i] = background[i];
  }
  EXPECT_EQ(Around(kBase, kW * kH * 2), expected);
}

TEST_F(DrawTest, LinesPlotOnePixelPerStepTheSameEitherWay) {
  const struct {
    const char* ends;
    bool steep;  // one pixel a row, else one a column
  } rows[] = {{"0 0 10 3", false}, {"10 3 0 0", false}, {"0 0 3 10", true}, {"3 10 0 0", true}};
  std::set<std::pair<int, int>> first[2];
  for (const auto& row : rows) {
    Clear(kBase, kW * kH * 2);
    ASSERT_TRUE(Run(kDrawRow, (std::string("draw main1 line ") + row.ends + " FFFFFF").c_str()));
    std::set<std::pair<int, int>> plotted;
    std::set<int> steps;
    for (int i = 0; i < static_cast<int>(kW * kH + kAround / 2); i++) {
      if (Memory()[kBase + 2 * i] != 0xFF) continue;
      plotted.emplace(i % kW, i / kW);
      steps.insert(row.steep ? i / kW : i % kW);
    }
    EXPECT_EQ(plotted.size(), 11u) << row.ends;
    EXPECT_EQ(steps.size(), 11u) << row.ends;
    EXPECT_TRUE(plotted.count({0, 0}) &&
                plotted.count(row.steep ? std::pair{3, 10} : std::pair{10, 3}))
        << row.ends;
    if (first[row.steep].empty()) first[row.steep] = plotted;
    EXPECT_EQ(plotted, first[row.steep]) << row.ends;  // the same pixels either way
  }
}

TEST_F(DrawTest, YuvWindowPixelsSetTheirLumaAndTheirPairsChroma) {
  const struct {
    const char* line;
    Pixels pixels;
  } rows[] = {
      {"draw pip1 line 0 0 7 0 FFFFFF", Span(0, 0, 7, 0)},
      {"draw line 0 3 7 3 FFFFFF", Span(0, 3, 7, 3)},
      {"draw line 0 0 0 3 FFFFFF", Span(0, 0, 0, 3)},
      {"draw line 7 0 7 3 FFFFFF", Span(7, 0, 7, 3)},
      {"draw line 7 1 8 1 FFFFFF", Span(7, 1, 8, 1)},
      {"draw line 0-1 1 0 1 FFFFFF", Span(-1, 1, 0, 1)},
      {"draw line 2 0-1 2 0 FFFFFF", Span(2, -1, 2, 0)},
      {"draw line 5 3 5 4 FFFFFF", Span(5, 3, 5, 4)},
  };
  for (const auto& row : rows) {
    Clear(kYuvBase, kYuvW * kYuvH * 2);
    std::string output;
    EXPECT_TRUE(Run(kDrawRow, row.line, &output)) << row.line << output;
    // Full-range white with its chroma stored offset: Y FFh, U and V 80h.
    EXPECT_EQ(Around(kYuvBase, kYuvW * kYuvH * 2), Expect422(row.pixels, 0xFF, 0x80, 0x80))
        << row.line;
  }
}

TEST_F(DrawTest, ShapesBeyondDisplayMemoryAreRefusedWithoutWriting) {
  const uint32_t size = ChipModel().DisplayMemorySize();
  const struct {
    uint32_t base;
    const char* line;
    const char* message;
  } rows[] = {
      {size - 64, "draw main1 rect 0 0 16 8 FFFFFF",
       "ERROR: Range 000FFFC0h-001000BFh is beyond the end of display memory (100000h bytes).\n"},
      {kBase, "draw main1 line 0 0-200 0 0 FFFFFF",
       "ERROR: The shape reaches 3000h bytes before display memory.\n"},
      {kBase, "draw main1 box 0 0 0 5 FFFFFF",
       "ERROR: A BOX needs a width and a height of at least 1.\n"},
  };
  for (const auto& row : rows) {
    Set("main1saddr", row.base);
    std::memset(Memory(), kUntouched, size);
    std::string output;
    EXPECT_FALSE(Run(kDrawRow, row.line, &output));
    EXPECT_EQ(output, row.message);
    EXPECT_EQ(std::count(Memory(), Memory() + size, kUntouched), size) << row.line;
  }
}

TEST_F(DrawTest, SyncStridesFollowTheWidths) {
  const struct {
    const char* width;
    uint32_t pixels;
    const char* stride;
    uint32_t bytes;
  } rows[] = {{"main1width", 320, "main1stride", 640},
              {"main2width", 100, "main2stride", 200},
              {"pip1width", 64, "pip1stride", 128},  // YUV 4:2:2, as RGB 5:6:5: 16 bpp
              {"pip2width", 50, "pip2stride", 100}};
  for (const char* automatic :
       {"main1autostride", "main2autostride", "pip1autostride", "pip2autostride"}) {
    Set(automatic, 0);  // as at start-up: the strides are the registers'
  }
  for (const auto& row : rows) {
    Set(row.width, row.pixels);
    Set(row.stride, 2);
  }
  ASSERT_TRUE(Run(kSyncStridesRow, "ss"));
  for (const auto& row : rows) EXPECT_EQ(ChipModel().GetValue(row.stride), row.bytes) << row.stride;
}

}  // namespace
