#include "sim/chip.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

class ChipTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ChipFault = ChipFaults();
    guarded_ = std::make_unique<Guarded>();
    std::memset(guarded_->after, 0xA5, sizeof guarded_->after);
    ChipPowerOn(chip());
  }
  void TearDown() override {
    ChipFault = ChipFaults();
    // Nothing the chip did reached past its state.
    for (uint8_t byte : guarded_->after) ASSERT_EQ(byte, 0xA5);
  }

  ChipState* chip() { return &guarded_->chip; }
  uint16_t Read(uint32_t index) { return ChipRead(chip(), index); }
  void Write(uint32_t index, uint16_t value) { ChipWrite(chip(), index, value, 0xFFFF); }
  void SetAddress(uint32_t address, bool rectangular = false) {
    Write(kRegMemAddressHigh, static_cast<uint16_t>((address >> 16) | (rectangular ? 0x8000 : 0)));
    Write(kRegMemAddressLow, static_cast<uint16_t>(address & 0xFFFE));
  }
  uint16_t MemoryWord(uint32_t address) {
    return static_cast<uint16_t>(chip()->memory[address] | chip()->memory[address + 1] << 8);
  }

  struct Guarded {
    ChipState chip;
    uint8_t after[64];
  };
  std::unique_ptr<Guarded> guarded_;
};

TEST_F(ChipTest, ReadOnlyIgnoresWritesWriteOnlyReadsZeroUnknownIsCountedOnly) {
  EXPECT_EQ(chip()->badAccesses, 0u);
  Write(0x018E, 0xFFFF);  // HWC_RAW_STATUS
  Write(0x0A00, 0xFFFF);  // IRQ_STATUS
  EXPECT_EQ(Read(0x018E), 0);
  EXPECT_EQ(Read(0x0A00), 0);
  EXPECT_EQ(chip()->badAccesses, 2u);
  EXPECT_EQ(Read(kRegSoftReset), 0);
  Write(0x0200, 0x00B3);  // lcdReset and both LUT address clears read back as 0
  EXPECT_EQ(Read(0x0200), 0x0030);
  Write(0x0180, 0x801C);  // hwcReset reads back as 0
  EXPECT_EQ(Read(0x0180), 0x001C);
  // The LCD port status (bit 13) reports the port enable (bit 10), whatever is written to it.
  Write(kRegDisplayMode1, 0x0401);
  EXPECT_EQ(Read(kRegDisplayMode1), 0x2401);
  Write(kRegDisplayMode1, 0x2001);
  EXPECT_EQ(Read(kRegDisplayMode1), 0x0001);

  Write(0x0034, 0x1234);  // a register of the sibling product only
  EXPECT_EQ(Read(0x0034), 0);
  EXPECT_EQ(Read(0xFFFE), 0);
  EXPECT_EQ(Read(0x0043), 0);  // odd index
  EXPECT_EQ(chip()->badAccesses, 6u);
  EXPECT_EQ(chip()->lastBadIndex, 0x0043u);
}

TEST_F(ChipTest, ByteWritesChangeOnlyTheirLane) {
  Write(0x0206, 0x1234);
  ChipWrite(chip(), 0x0206, 0xAB00, 0xFF00);
  EXPECT_EQ(Read(0x0206), 0xAB34);
  ChipWrite(chip(), 0x0206, 0x00CD, 0x00FF);
  EXPECT_EQ(Read(0x0206), 0xABCD);
}

TEST_F(ChipTest, SoftResetRestoresRegistersAndKeepsMemory) {
  Write(0x0040, 0x0077);
  Write(0x0208, 0x1111);
  SetAddress(0x100);
  Write(kRegMemPort, 0xBEEF);
  Write(kRegLcdLutCounter, 5);
  Write(kRegLcdLutData, 0x2233);
  Write(kRegLcdLutData, 0x0011);
  Write(kRegSoftReset, 0xFFFF);
  EXPECT_EQ(Read(0x0040), 0x0001);
  EXPECT_EQ(Read(0x0208), 0x8888);
  EXPECT_EQ(Read(kRegMemAddressLow), 0);
  EXPECT_EQ(Read(kRegLcdLutCounter), 0);
  EXPECT_EQ(MemoryWord(0x100), 0xBEEF);
  EXPECT_EQ(chip()->lut[0][5][0], 0x11);
}

TEST_F(ChipTest, MemoryPortMovesThroughMemoryAndWraps) {
  SetAddress(0x12345);  // the odd bit is the read flag, not an address bit
  EXPECT_EQ(Read(kRegMemAddressLow), 0x2344);
  Write(kRegMemPort, 0x1122);
  Write(kRegMemPort, 0x3344);
  EXPECT_EQ(MemoryWord(0x12344), 0x1122);
  EXPECT_EQ(MemoryWord(0x12346), 0x3344);
  SetAddress(0x12344);
  EXPECT_EQ(Read(kRegMemPort), 0x1122);
  EXPECT_EQ(Read(kRegMemPort), 0x3344);

  SetAddress(kDisplayMemorySize - 2);
  uint8_t bytes[4] = {1, 2, 3, 4};
  ChipWriteRepeated(chip(), kRegMemPort, bytes, sizeof bytes);
  EXPECT_EQ(MemoryWord(kDisplayMemorySize - 2), 0x0201);
  EXPECT_EQ(MemoryWord(0), 0x0403);

  // An odd last byte is a low-byte access of the port: a whole word moves.
  SetAddress(0x200);
  uint8_t three[3] = {0xA1, 0xA2, 0xA3};
  ChipWriteRepeated(chip(), kRegMemPort, three, sizeof three);
  EXPECT_EQ(MemoryWord(0x200), 0xA2A1);
  EXPECT_EQ(MemoryWord(0x202), 0x00A3);
}

TEST_F(ChipTest, RectangularModeStepsByTheLineOffset) {
  // Lines of 4 bytes, 10 bytes apart.
  Write(kRegRectLineWidth, 4 - 2);
  Write(kRegRectLineOffset, 10 - 2);
  SetAddress(0x1000, true);
  std::vector<uint8_t> data = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  ChipWriteRepeated(chip(), kRegMemPort, data.data(), data.size());
  for (uint32_t line = 0; line < 3; line++) {
    for (uint32_t i = 0; i < 4; i++) {
      EXPECT_EQ(chip()->memory[0x1000 + line * 10 + i], data[line * 4 + i]);
    }
  }
  EXPECT_EQ(chip()->memory[0x1004], 0);  // the gap stays untouched
  SetAddress(0x1000, true);
  std::vector<uint8_t> back(12);
  ChipReadRepeated(chip(), kRegMemPort, back.data(), back.size());
  EXPECT_EQ(back, data);
  SetAddress(0x1000, false);
  EXPECT_EQ(Read(kRegMemPort), 0x0201);
  EXPECT_EQ(Read(kRegMemPort), 0x0403);
  EXPECT_EQ(Read(kRegMemPort), 0x0000);
}

TEST_F(ChipTest, LookUpTablesTakeGreenBlueThenRedAndAdvancePerEntry) {
  Write(kRegLcdLutCounter, 254);
  Write(kRegLcdLutData, 0x1020);  // green 10h, blue 20h
  EXPECT_EQ(Read(kRegLcdLutCounter), 254);
  Write(kRegLcdLutData, 0x0030);  // red 30h
  EXPECT_EQ(Read(kRegLcdLutCounter), 255);
  Write(kRegLcdLutData, 0x4050);
  Write(kRegLcdLutData, 0x0060);
  EXPECT_EQ(Read(kRegLcdLutCounter), 0);  // wraps after entry 255
  EXPECT_EQ(chip()->lut[0][254][0], 0x30);
  EXPECT_EQ(chip()->lut[0][254][1], 0x10);
  EXPECT_EQ(chip()->lut[0][254][2], 0x20);
  EXPECT_EQ(chip()->lut[0][255][0], 0x60);

  Write(kRegLcdLutCounter, 254);
  EXPECT_EQ(Read(kRegLcdLutData), 0x1020);
  EXPECT_EQ(Read(kRegLcdLutData), 0x0030);
  EXPECT_EQ(Read(kRegLcdLutCounter), 255);

  // The PIP2 table is separate; the address clear bit of DISPLAY_MODE_0 resets its counter.
  Write(kRegPip2LutCounter, 7);
  Write(kRegPip2LutData, 0xAABB);
  Write(kRegDisplayMode0, 0x0001);
  EXPECT_EQ(Read(kRegPip2LutCounter), 0);
  Write(kRegPip2LutData, 0x0102);
  Write(kRegPip2LutData, 0x0003);
  EXPECT_EQ(chip()->lut[1][0][0], 0x03);
  EXPECT_EQ(chip()->lut[0][0][0], 0x00);
}

TEST_F(ChipTest, ScalerCoefficientsFillTheSelectedTableThroughTheCounter) {
  Write(kRegPip1ScalerPort, 0x0010);  // vertical table
  for (int i = 0; i < 3; i++) Write(kRegPip1ScalerCoef, static_cast<uint16_t>(0xF0 + i));
  EXPECT_EQ(Read(kRegPip1ScalerPort), 0x0310);  // counter in bits 12-8
  EXPECT_EQ(chip()->coef[0][1][0], static_cast<int8_t>(0xF0));
  EXPECT_EQ(chip()->coef[0][1][2], static_cast<int8_t>(0xF2));
  Write(kRegPip1ScalerPort, 0x0001);  // counter reset, horizontal table
  EXPECT_EQ(Read(kRegPip1ScalerPort), 0x0000);
  Write(kRegPip1ScalerCoef, 64);
  EXPECT_EQ(chip()->coef[0][0][0], 64);
  EXPECT_EQ(Read(kRegPip2ScalerPort), 0x0000);  // PIP2's counter did not move
  Write(kRegPip2ScalerCoef, 5);
  Write(0x02AE, 0x8000);  // PIP2_SCALER_CTRL reset
  EXPECT_EQ(Read(kRegPip2ScalerPort), 0x0000);
  EXPECT_EQ(Read(0x02AE), 0x0000);
  EXPECT_EQ(chip()->coef[1][0][0], 5);
  // The port reads the selected table back through the same counter.
  Write(kRegPip1ScalerPort, 0x0011);  // counter reset, vertical table
  EXPECT_EQ(Read(kRegPip1ScalerCoef), 0xF0);
  EXPECT_EQ(Read(kRegPip1ScalerCoef), 0xF1);
  EXPECT_EQ(Read(kRegPip1ScalerPort), 0x0210);
}

// Sends width x height pixels numbered from 1 through the write window and returns where each
// number landed, row by row over the window's screen rectangle.
class HwcTest : public ChipTest {
 protected:
  void Draw(uint32_t base, uint16_t width, uint16_t height, uint16_t stridePixels,
            uint16_t rotateBits, bool mirror) {
    Write(kRegHwcWidth, width - 2);
    Write(kRegHwcHeight, height - 1);
    Write(kRegHwcLineOffset, stridePixels * 2);
    Write(kRegHostConfig, static_cast<uint16_t>(rotateBits << 1 | (mirror ? 8 : 0)));
    SetAddress(base);
    Write(kRegHostConfig, static_cast<uint16_t>(Read(kRegHostConfig) | 1));
    for (uint16_t i = 1; i <= width * height; i++) Write(kRegMemPort, i);
  }
  uint16_t Pixel(uint32_t x, uint32_t y, uint32_t stridePixels) {
    return MemoryWord((y * stridePixels + x) * 2);
  }
};

TEST_F(HwcTest, UnrotatedImageFillsTheRectangleAndFinishes) {
  Draw((1 * 16 + 2) * 2, 4, 2, 16, 0, false);
  EXPECT_EQ(Pixel(2, 1, 16), 1);
  EXPECT_EQ(Pixel(5, 1, 16), 4);
  EXPECT_EQ(Pixel(2, 2, 16), 5);
  EXPECT_EQ(Pixel(5, 2, 16), 8);
  EXPECT_EQ(Read(kRegHostConfig) & 1, 0);
  EXPECT_EQ(Read(kRegHwcRawStatus) & 1, 1);
  EXPECT_FALSE(ChipBusy(chip()));
  Write(kRegHwcStatus, 1);  // writing 1 clears the event
  EXPECT_EQ(Read(kRegHwcStatus), 0);
  EXPECT_EQ(Read(kRegHwcRawStatus), 0);
  // After the window, the port writes linear memory again.
  Write(kRegMemPort, 0xFFFF);
  EXPECT_EQ(Pixel(2, 1, 16), 0xFFFF);
}

TEST_F(HwcTest, EveryRotationAndMirrorStartsAtItsCornerAndTurns) {
  // A 3x2 image onto a 16-pixel-wide screen at (4, 4); start corners as the HAL computes them.
  struct Case {
    uint16_t rotate;
    bool mirror;
    uint32_t startX, startY;      // where pixel 1 goes
    uint32_t secondX, secondY;    // where pixel 2 goes
    uint32_t nextRowX, nextRowY;  // where pixel 4 (second image row) goes
  };
  const Case cases[] = {
      {0, false, 4, 4, 5, 4, 4, 5}, {0, true, 6, 4, 5, 4, 6, 5},  {1, false, 5, 4, 5, 5, 4, 4},
      {1, true, 4, 4, 4, 5, 5, 4},  {2, false, 6, 5, 5, 5, 6, 4}, {2, true, 4, 5, 5, 5, 4, 4},
      {3, false, 4, 6, 4, 5, 5, 6}, {3, true, 5, 6, 5, 5, 4, 6},
  };
  for (const Case& c : cases) {
    ChipPowerOn(chip());
    Draw((c.startY * 16 + c.startX) * 2, 3, 2, 16, c.rotate, c.mirror);
    SCOPED_TRACE(testing::Message() << "rotate " << c.rotate << " mirror " << c.mirror);
    EXPECT_EQ(Pixel(c.startX, c.startY, 16), 1);
    EXPECT_EQ(Pixel(c.secondX, c.secondY, 16), 2);
    EXPECT_EQ(Pixel(c.nextRowX, c.nextRowY, 16), 4);
  }
}

TEST_F(HwcTest, DataSwapTurnsBytesAndStuckBusyNeverFinishes) {
  Write(kRegHwcWidth, 0);
  Write(kRegHwcHeight, 0);
  Write(kRegHostConfig, 0x0010 | 1);
  Write(kRegMemPort, 0x1234);
  Write(kRegMemPort, 0x5678);
  EXPECT_EQ(MemoryWord(0), 0x3412);
  EXPECT_EQ(MemoryWord(2), 0x7856);

  ChipPowerOn(chip());
  ChipFault.stuckBusy = true;
  Draw(0, 2, 1, 16, 0, false);
  EXPECT_TRUE(ChipBusy(chip()));
  EXPECT_EQ(Read(kRegHostConfig) & 1, 1);
  Write(kRegHostConfig, 0x8000);  // hwcReset stops it
  EXPECT_EQ(Read(kRegHostConfig) & 1, 0);
}

// The state lives in a file any process may have damaged. Every index taken from it is masked
// on use, so hostile accesses on a damaged state still land inside display memory, and accesses
// to no register are refused and counted.
TEST_F(ChipTest, DamagedStateNeverReachesOutsideItself) {
  uint8_t* memory = chip()->memory;
  for (uint32_t i = 0; i < kDisplayMemorySize; i++) memory[i] = static_cast<uint8_t>(i * 7 + 1);
  const std::vector<uint8_t> before(memory, memory + kDisplayMemorySize);
  const uint32_t badBefore = chip()->badAccesses;

  // The memory port at a wild address: the word at the top of memory, then the wrap to 0.
  chip()->memAddress = 0xFFFFFFFF;
  Write(kRegMemPort, 0x1234);
  EXPECT_EQ(MemoryWord(kDisplayMemorySize - 2), 0x1234);
  EXPECT_EQ(Read(kRegMemPort), before[0] | before[1] << 8);

  // Coefficient counters past their tables write the last entry and start over.
  chip()->coefCounter[0] = chip()->coefCounter[1] = 0xFF;
  Write(kRegPip1ScalerCoef, 0x11);
  Write(kRegPip2ScalerCoef, 0x22);
  EXPECT_EQ(chip()->coef[0][0][kCoefEntries - 1], 0x11);
  EXPECT_EQ(chip()->coef[1][0][kCoefEntries - 1], 0x22);

  // A rectangle line that counts itself long done ends after one word; the next line starts a
  // line offset on (FFFFh + 2 bytes), wrapped round memory.
  Write(kRegRectLineWidth, 0xFFFF);
  Write(kRegRectLineOffset, 0xFFFF);
  const uint32_t start = kDisplayMemorySize - 16;
  const uint32_t next = (start + 0xFFFF + 2) & kDisplayMemoryMask & ~1u;
  SetAddress(start, true);
  chip()->memLineDone = 0xFFFFFFF0;
  const uint8_t line[6] = {0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6};
  ChipWriteRepeated(chip(), kRegMemPort, line, sizeof line);
  EXPECT_EQ(MemoryWord(start), 0xC2C1);
  EXPECT_EQ(MemoryWord(next), 0xC4C3);
  EXPECT_EQ(MemoryWord(next + 2), 0xC6C5);
  std::set<uint32_t> touched = {kDisplayMemorySize - 2, start, next, next + 2};

  // The write window with every size at its widest and a wild base, which its start replaces:
  // pixel n of a row turned by 270 degrees goes n lines of FFFFh bytes up, wrapped into memory.
  chip()->hwcBase = 0xFFFFFFFF;
  Write(kRegHwcWidth, 0xFFFF);
  Write(kRegHwcHeight, 0xFFFF);
  Write(kRegHwcLineOffset, 0xFFFF);
  Write(kRegHostConfig, 0x0007);
  std::set<uint32_t> pixels;
  for (uint32_t n = 0; n < 100; n++) {
    Write(kRegMemPort, 0xAAAA);
    pixels.insert((start - n * 0xFFFF) & kDisplayMemoryMask & ~1u);
  }
  touched.insert(pixels.begin(), pixels.end());

  // Accesses to no register: beyond the register space, far beyond it, and at an odd index.
  Write(kRegisterSpace + kRegMemPort, 0x5555);
  Read(0xFFFFFFFE);
  Write(kRegMemPort + 1, 0x5555);
  EXPECT_EQ(chip()->badAccesses, badBefore + 3);
  EXPECT_EQ(chip()->lastBadIndex, kRegMemPort + 1);

  EXPECT_LT(chip()->memAddress, kDisplayMemorySize);
  EXPECT_LT(chip()->memLineStart, kDisplayMemorySize);
  EXPECT_LT(chip()->hwcBase, kDisplayMemorySize);
  for (uint8_t counter : chip()->coefCounter) EXPECT_LT(counter, kCoefEntries);
  for (uint32_t at : pixels) EXPECT_EQ(MemoryWord(at), 0xAAAA) << std::hex << at;
  uint32_t changed = 0;
  for (uint32_t at = 0; at < kDisplayMemorySize; at++) {
    if (memory[at] != before[at] && !touched.count(at & ~1u) && changed++ < 5) {
      ADD_FAILURE() << "display memory changed at " << std::hex << at;
    }
  }
  EXPECT_EQ(changed, 0u);
}

TEST_F(ChipTest, PanelScanDrivesVndpAndVoutPulsesWhileThePortIsOn) {
  for (int i = 0; i < 40; i++) EXPECT_EQ(Read(kRegMiscConfig), 0x04D1);  // no scan: as stored
  Write(kRegDisplayMode1, 0x0400);                                       // LCD port on
  std::string vndp;
  for (int i = 0; i < 32; i++) vndp += Read(kRegMiscConfig) & 0x0080 ? '1' : '0';
  EXPECT_EQ(vndp, "00000000000001100000000000000110");  // two lines of sixteen, each frame
  EXPECT_EQ(Read(kRegGpioIrq0), 0);                     // no VOUT rate: no pulse
  Write(kRegVoutConfig, 0x2003);                        // every second frame, three lines in
  Write(kRegGpioConfig0, 0x0001);                       // pin 0 is an output
  int reads = 0;
  while (Read(kRegGpioIrq0) == 0 && reads < 100) reads++;
  EXPECT_LT(reads, 2 * 16 + 3);
  EXPECT_EQ(Read(kRegGpioIrq0), 0xFFFE);
  EXPECT_EQ(Read(kRegGpioIrq1), 0x00FF);
  Write(kRegGpioIrq0, 0);
  EXPECT_EQ(Read(kRegGpioIrq0), 0);
}

}  // namespace
