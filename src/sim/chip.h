// Device model of the 77Q41 display controller: its registers with their reset values, the
// memory-access engine, the two look-up tables, the scaler coefficient tables, the host
// write-window engine, the panel scan (the VNDP status bit and the VOUT pulse, which the board
// feeds to the GPIO inputs) and 1 MiB of display memory. The state is plain data so that it can
// live in the shared board file; every index taken from it is masked, so a damaged state can give
// wrong values but never an access outside it.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr uint32_t kDisplayMemorySize = 1u << 20;
constexpr uint32_t kDisplayMemoryMask = kDisplayMemorySize - 1;
constexpr uint32_t kRegisterSpace = 0x1000;  // register indices 0000-0FFF
constexpr int kLutCount = 2;                 // 0: LCD-LUT, 1: PIP2-LUT
constexpr int kLutEntries = 256;
constexpr int kScalerCount = 2;  // PIP1, PIP2
constexpr int kCoefTables = 2;   // horizontal, vertical
constexpr int kCoefEntries = 32;

struct ChipState {
  uint16_t regs[kRegisterSpace / 2];  // stored register values, by index / 2

  // Look-up tables: red, green, blue per entry; the counter advances after each whole entry,
  // which goes through the data port as green/blue first, then red.
  uint8_t lut[kLutCount][kLutEntries][3];
  uint8_t lutCounter[kLutCount];
  uint8_t lutSecondHalf[kLutCount];  // 1 when the next port access is the red half

  int8_t coef[kScalerCount][kCoefTables][kCoefEntries];
  uint8_t coefCounter[kScalerCount];

  // Memory-access engine: the next byte address, and in rectangular mode the current line.
  uint32_t memAddress;
  uint32_t memLineStart;
  uint32_t memLineDone;  // bytes moved on the current line

  // Host write-window engine: the first pixel's address and the pixels received so far.
  uint32_t hwcBase;
  uint32_t hwcPixel;

  // The panel scan while the LCD port is enabled: the line within the frame and the frames
  // since power-on. It moves one line at each read of a status register the program polls.
  uint32_t scanLine;
  uint32_t scanFrame;

  uint32_t badAccesses;  // accesses to no register, or of the wrong kind
  uint32_t lastBadIndex;

  uint8_t memory[kDisplayMemorySize];
};

// Fault injection for tests; per process.
struct ChipFaults {
  bool stuckBusy = false;  // the write window never finishes: its enable bit and busy stay set
};
extern ChipFaults ChipFault;

// Register indices the HAL and the tests use by name.
constexpr uint32_t kRegMiscConfig = 0x0014;
constexpr uint32_t kRegSoftReset = 0x0016;
constexpr uint32_t kRegHostConfig = 0x0180;
constexpr uint32_t kRegMemAddressLow = 0x0182;
constexpr uint32_t kRegMemAddressHigh = 0x0184;
constexpr uint32_t kRegHwcLineOffset = 0x0186;
constexpr uint32_t kRegHwcWidth = 0x0188;
constexpr uint32_t kRegHwcHeight = 0x018A;
constexpr uint32_t kRegMemPort = 0x018C;
constexpr uint32_t kRegHwcRawStatus = 0x018E;
constexpr uint32_t kRegHwcStatus = 0x0192;
constexpr uint32_t kRegRectLineOffset = 0x0194;
constexpr uint32_t kRegRectLineWidth = 0x0196;
constexpr uint32_t kRegVoutConfig = 0x0198;
constexpr uint32_t kRegDisplayMode0 = 0x0200;
constexpr uint32_t kRegDisplayMode1 = 0x0202;
constexpr uint32_t kRegGpioConfig0 = 0x0300;
constexpr uint32_t kRegGpioConfig1 = 0x0302;
constexpr uint32_t kRegGpioIrq0 = 0x0318;
constexpr uint32_t kRegGpioIrq1 = 0x031A;
constexpr uint32_t kRegPip1ScalerPort = 0x0266;
constexpr uint32_t kRegPip1ScalerCoef = 0x0268;
constexpr uint32_t kRegPip2ScalerPort = 0x02A6;
constexpr uint32_t kRegPip2ScalerCoef = 0x02A8;
constexpr uint32_t kRegPip2LutCounter = 0x0400;
constexpr uint32_t kRegPip2LutData = 0x0402;
constexpr uint32_t kRegLcdLutCounter = 0x0500;
constexpr uint32_t kRegLcdLutData = 0x0502;

// Every byte cleared, every register at its reset value.
void ChipPowerOn(ChipState* chip);

// The software reset: registers and engines to their reset state; display memory, look-up
// tables and coefficient tables keep their contents.
void ChipSoftReset(ChipState* chip);

// 16-bit register access at an even index. A write changes the bytes selected by laneMask
// (00FFh low, FF00h high, FFFFh both). Reads of data ports move their counters.
uint16_t ChipRead(ChipState* chip, uint32_t index);
void ChipWrite(ChipState* chip, uint32_t index, uint16_t value, uint16_t laneMask);

// Data ports repeat at their own index: every access moves the port's counter or address on.
bool ChipIsPort(uint32_t index);

// count bytes through one register as successive 16-bit accesses, low byte first; an odd last
// byte is a low-byte access. Display memory moves in bulk.
void ChipWriteRepeated(ChipState* chip, uint32_t index, const uint8_t* bytes, size_t count);
void ChipReadRepeated(ChipState* chip, uint32_t index, uint8_t* bytes, size_t count);

// The write window is still taking pixels.
bool ChipBusy(const ChipState* chip);
