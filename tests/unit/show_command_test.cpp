// SHOW on the simulated board. The pixels expected are worked out here from the patterns'
// definitions for the sizes chosen, in RGB 5:6:5 (r5:g6:b5) unless a case names another format.
#include "display/show_command.h"

#include <vector>

#include "display/file_commands.h"
#include "display/picture_file.h"
#include "display/pixel_format.h"
#include "sim_board.h"

namespace {

constexpr uint32_t kBase = 0x4000;
constexpr uint32_t kStride = 100;  // more than a 40-pixel line: the gaps stay untouched
constexpr uint8_t kUntouched = 0xA5;

class ShowTest : public SimBoardTest {
 protected:
  void SetUp() override {
    SimBoardTest::SetUp();
    Window(40, 24, kStride);
    std::memset(Memory(), kUntouched, ChipModel().DisplayMemorySize());
  }
  void Window(uint32_t width, uint32_t height, uint32_t stride) {
    Set("main1autostride", 0);  // as at start-up: the stride is the register's
    Set("main1width", width);
    Set("main1height", height);
    Set("main1stride", stride);
    Set("main1saddr", kBase);
  }
  uint32_t Word(uint32_t address) { return Memory()[address] | Memory()[address + 1] << 8; }
  uint32_t Long(uint32_t address) { return Word(address) | Word(address + 2) << 16; }
  // Pixel (x, y) of the 565 window.
  uint32_t Pixel(uint32_t x, uint32_t y) { return Word(kBase + y * kStride + 2 * x); }
  std::vector<uint8_t> Bytes(uint32_t address, uint32_t count) {
    return std::vector<uint8_t>(Memory() + address, Memory() + address + count);
  }

  struct Expected {
    uint32_t x, y, value;
  };
  void ExpectPixels(const char* line, std::initializer_list<Expected> pixels) {
    std::string output;
    ASSERT_TRUE(Run(kShowRow, line, &output)) << line << output;
    for (const Expected& p : pixels) {
      EXPECT_EQ(Pixel(p.x, p.y), p.value) << line << " at " << p.x << "," << p.y;
    }
  }
};

// OLD, 40 x 24: a white border of 2, then bands of (24 - 4) / 4 = 5 rows of red, green, blue and
// grey ramps over the 36 inner columns (column c gives c x 255 / 36), the inverted block at inner
// columns 18 to 21 in the band's first row.
TEST_F(ShowTest, OldIsABorderedSwatchOfRamps) {
  ExpectPixels("show", {{0, 0, 0xFFFF},
                        {1, 23, 0xFFFF},
                        {39, 12, 0xFFFF},
                        {37, 3, 0xF800},    // column 36: 255
                        {37, 8, 0x07E0},    // green
                        {37, 13, 0x001F},   // blue
                        {37, 18, 0xFFFF},   // grey
                        {2, 8, 0x0020},     // column 1: 7, green's top six bits 1
                        {19, 2, 0x87FF},    // column 18: 127 red, inverted 80FFFFh
                        {23, 2, 0x9800}});  // column 22: 155, past the block
  // Three frames move the ramps by 3 x 4 - 4 = 8 columns.
  ExpectPixels("show old ani n=3", {{29, 3, 0xF800}, {37, 3, 0x3800}});
  EXPECT_EQ(Bytes(kBase + 80, 20), std::vector<uint8_t>(20, kUntouched));  // between the lines
}

// FILL, 40 x 24 = 960 pixels: pixel i (from 1) has each component max(base, (255 - base) i / 960);
// offset 70 raises green (bits 6-7: 1) by (70 AND 3Fh) x 4 = 24.
TEST_F(ShowTest, FillIsAGradientWhoseColoursTheOffsetCycles) {
  ExpectPixels("show fill", {{0, 0, 0x0000}, {39, 11, 0x7BEF}, {39, 23, 0xFFFF}});
  ExpectPixels("show fill n=2 g=70", {{0, 0, 0x00C0}, {39, 23, 0xFF3F}});
}

// GRID, 120 x 60, boxes of 50, line width 2, blue background: the cross of offset 0 lies on the
// border; a grid line is green but for every tenth pixel (black).
TEST_F(ShowTest, GridLinesLieOnTheBoxRowsAndColumns) {
  Window(120, 60, 240);
  ASSERT_TRUE(Run(kShowRow, "show grid gw=50 gh=50 lw=2 bg=R0000FF"));
  auto pixel = [&](uint32_t x, uint32_t y) { return Word(kBase + (y - 1) * 240 + 2 * (x - 1)); };
  int column50 = 0, row50 = 0;
  for (uint32_t y = 1; y <= 60; y++) column50 += pixel(50, y) == 0x07E0;
  for (uint32_t x = 1; x <= 120; x++) row50 += pixel(x, 50) == 0x07E0;
  EXPECT_EQ(column50, 60 - 5);        // rows 10 to 50 black
  EXPECT_EQ(row50, 120 - 11);         // columns 10 to 110 black
  EXPECT_EQ(pixel(25, 25), 0x07E0u);  // a box centre
  EXPECT_EQ(pixel(30, 30), 0x001Fu);  // background
  ASSERT_TRUE(Run(kShowRow, "show grid gw=50 gh=50 lw=2 bg=R0000FF n=3"));
  EXPECT_EQ(pixel(9, 30), 0x07E0u);  // the cross moved to columns 9 and 10
  EXPECT_EQ(pixel(8, 30), 0x001Fu);
}

// The format's rows land at the window's stride: 4:2:0 line pairs (6 bytes a line) as one row
// every two strides; a 4:2:2 line as U Y0 V Y1 groups. Grey keeps U and V at 80h.
TEST_F(ShowTest, YuvFramesKeepTheirRowsAtTheStride) {
  Window(4, 4, kStride);
  ASSERT_TRUE(Run(kShowRow, "show fill f=2"));
  EXPECT_EQ(Bytes(kBase, 14),
            (std::vector<uint8_t>{0x80, 0x0F, 0x80, 0x1F, 0x80, 0x2F, 0x80, 0x3F, 0x4F, 0x5F, 0x6F,
                                  0x7F, kUntouched, kUntouched}));
  EXPECT_EQ(Bytes(kBase + 2 * kStride, 12),
            (std::vector<uint8_t>{0x80, 0x8F, 0x80, 0x9F, 0x80, 0xAF, 0x80, 0xBF, 0xCF, 0xDF, 0xEF,
                                  0xFF}));
  ASSERT_TRUE(Run(kShowRow, "show fill f=0"));
  EXPECT_EQ(Bytes(kBase + 3 * kStride, 8),
            (std::vector<uint8_t>{0x80, 0xCF, 0x80, 0xDF, 0x80, 0xEF, 0x80, 0xFF}));
}

// A 4 x 2 FILL (grey 31, 63, ... 255) as a rectangle of 4 words every 10 words, directly and
// through the host write window: the same pixels either way.
TEST_F(ShowTest, RectanglesAndTheHostWindowPlaceLinesAtTheirOffset) {
  const uint32_t top[4] = {0x18E3, 0x39E7, 0x5AEB, 0x7BEF},
                 bottom[4] = {0x9CF3, 0xBDF7, 0xDEFB, 0xFFFF};
  for (const char* line :
       {"show fill w=4 h=2 so=10", "show fill w=4 h=2 hwc f=4 sw=4 sh=2 so=10"}) {
    std::memset(Memory() + kBase, kUntouched, 64);
    std::string output;
    ASSERT_TRUE(Run(kShowRow, line, &output)) << output;
    for (uint32_t x = 0; x < 4; x++) {
      EXPECT_EQ(Word(kBase + 2 * x), top[x]) << line;
      EXPECT_EQ(Word(kBase + 20 + 2 * x), bottom[x]) << line;
    }
    EXPECT_EQ(Word(kBase + 8), kUntouched * 0x101u) << line;
  }
}

// MEM: frames go to successive blocks and back to the start address when the next would not
// fit. 8 x 8 pixels of ARGB 8888 take 100h bytes; frame k has offset k, so its first pixel is red
// max(4k, 251 / 64) with green and blue 255 / 64 = 3.
TEST_F(ShowTest, MemoryFramesStayInsideDisplayMemory) {
  const uint32_t end = ChipModel().DisplayMemorySize();
  ASSERT_TRUE(Run(kShowRow, "show fill mem sa=FFE00 w=8 h=8 f=125 n=3 g=1"));
  EXPECT_EQ(Long(end - 0x200), 0x00080303u);  // frame 3, back at the start
  EXPECT_EQ(Long(end - 0x100), 0x00040303u);  // frame 2
  EXPECT_EQ(Long(end - 0x204), kUntouched * 0x01010101u);
}

// The picture check: FDUMP of a GRID window to PNG, read back: grid lines of boxes of 40 at the
// 40th rows and columns (green but every tenth pixel), the background (80h, read back from its top
// five bits as 87h) between them.
TEST_F(ShowTest, GridDumpedToPngShowsItsLines) {
  TempDir dir;
  Window(160, 120, 320);
  ASSERT_TRUE(Run(kShowRow, "show grid gw=40 gh=40 bg=R000080"));
  const std::string png = dir / "grid.png";
  std::string command = "fdump " + png + " mem 4000 L9600 W=160 H=120 F=4";  // at kBase
  std::string output;
  ASSERT_TRUE(Run(kFileDumpRow, command.c_str(), &output)) << output;
  std::vector<uint32_t> rgb(160 * 120);
  ASSERT_TRUE(LoadPicture(png.c_str(), reinterpret_cast<uint8_t*>(rgb.data()), rgb.size() * 4,
                          FindPixelFormat("R888.xRGB"), 0));
  auto at = [&](uint32_t x, uint32_t y) { return rgb[(y - 1) * 160 + (x - 1)] & 0xFFFFFF; };
  for (uint32_t line = 40; line < 120; line += 40) {
    for (uint32_t i = 11; i < 120; i += 10) {  // along the lines, off the cross and the tenths
      EXPECT_EQ(at(line, i + 2), 0x00FF00u) << "column " << line << " row " << i + 2;
      EXPECT_EQ(at(i + 2, line), 0x00FF00u) << "row " << line << " column " << i + 2;
      EXPECT_EQ(at(line + 2, i + 2), 0x000087u) << "beside column " << line;
    }
  }
}

}  // namespace
