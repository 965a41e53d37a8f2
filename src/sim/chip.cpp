#include "sim/chip.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

ChipFaults ChipFault;

namespace {

enum Access : uint8_t { RW, RO, WO };

struct RegisterInfo {
  uint16_t index;
  uint16_t reset;
  Access access;
  const char* name;
};

// The registers of the 77Q41 with their reset values.
constexpr RegisterInfo kRegisters[] = {
    {0x0004, 0x0000, RW, "CFG_PIN_STATUS"},
    {0x000C, 0x0000, RW, "PLL_0"},
    {0x000E, 0x0000, RW, "PLL_1"},
    {0x0010, 0x0000, RW, "PLL_2"},
    {0x0012, 0x0001, RW, "PLL_3"},
    {0x0014, 0x04D1, RW, "MISC_CONFIG"},
    {0x0016, 0x0000, WO, "SOFT_RESET"},
    {0x0018, 0x0000, RW, "SYSTEM_CLOCK"},
    {0x0030, 0x0000, RW, "LCD_CLOCK"},
    {0x0032, 0x0000, RW, "LCD_CONFIG"},
    {0x0040, 0x0001, RW, "LCD_HT"},
    {0x0042, 0x0000, RW, "LCD_HDP"},
    {0x0044, 0x0000, RW, "LCD_HDPS"},
    {0x0046, 0x0000, RW, "LCD_HP"},
    {0x0048, 0x0000, RW, "LCD_HPS"},
    {0x004A, 0x0000, RW, "LCD_VT"},
    {0x004C, 0x0000, RW, "LCD_VDP"},
    {0x004E, 0x0000, RW, "LCD_VDPS"},
    {0x0050, 0x0000, RW, "LCD_VP"},
    {0x0052, 0x0000, RW, "LCD_VPS"},
    {0x0068, 0x0000, RW, "LCD_VSYNC_OUT"},
    {0x0180, 0x0000, RW, "HOST_CONFIG"},
    {0x0182, 0x0000, RW, "MEM_SADDR_0"},
    {0x0184, 0x0000, RW, "MEM_SADDR_1"},
    {0x0186, 0x0000, RW, "HWC_WR_ADDR_OFF"},
    {0x0188, 0x0000, RW, "HWC_WR_HSIZE"},
    {0x018A, 0x0000, RW, "HWC_WR_VSIZE"},
    {0x018C, 0x0000, RW, "MEM_ACCESS_PORT"},
    {0x018E, 0x0000, RO, "HWC_RAW_STATUS"},
    {0x0190, 0x0000, RW, "HWC_IRQ_CONTROL"},
    {0x0192, 0x0000, RW, "HWC_STATUS"},
    {0x0194, 0x0000, RW, "MEM_WR_ADDR_OFF"},
    {0x0196, 0x0000, RW, "MEM_WR_ADDR_W"},
    {0x0198, 0x0000, RW, "VOUT_CONFIG"},
    {0x0200, 0x0000, RW, "DISPLAY_MODE_0"},
    {0x0202, 0x0000, RW, "DISPLAY_MODE_1"},
    {0x0204, 0x0000, RW, "OVERLAY_ALPHA"},
    {0x0206, 0x0000, RW, "BG_COLOR"},
    {0x0208, 0x8888, RW, "ALPHA_RATIO"},
    {0x020C, 0x0000, RW, "PIP1_OVERLAY_KEY"},
    {0x020E, 0x0000, RW, "PIP2_OVERLAY_KEY"},
    {0x0210, 0x0000, RW, "ALPHA_BLEND1_KEY"},
    {0x0212, 0x0000, RW, "ALPHA_BLEND2_KEY"},
    {0x0214, 0x0000, RW, "ALPHA_BLEND3_KEY"},
    {0x0216, 0x0000, RW, "ALPHA_BLEND4_KEY"},
    {0x0218, 0x0000, RW, "MAIN1_X_START"},
    {0x021A, 0x0000, RW, "MAIN1_Y_START"},
    {0x0220, 0x0000, RW, "MAIN2_X_START"},
    {0x0222, 0x0000, RW, "MAIN2_Y_START"},
    {0x0228, 0x0000, RW, "PIP1_X_START"},
    {0x022A, 0x0000, RW, "PIP1_Y_START"},
    {0x022C, 0x0000, RW, "PIP1_X_END"},
    {0x022E, 0x0000, RW, "PIP1_Y_END"},
    {0x0230, 0x0000, RW, "PIP2_X_START"},
    {0x0232, 0x0000, RW, "PIP2_Y_START"},
    {0x0234, 0x0000, RW, "PIP2_X_END"},
    {0x0236, 0x0000, RW, "PIP2_Y_END"},
    {0x0238, 0x0000, RW, "MAIN_SCROLL_SA_0"},
    {0x023A, 0x0000, RW, "MAIN_SCROLL_SA_1"},
    {0x023C, 0xFFFE, RW, "MAIN_SCROLL_EA_0"},
    {0x023E, 0x000F, RW, "MAIN_SCROLL_EA_1"},
    {0x0240, 0x0000, RW, "MAIN1_SADDR_0"},
    {0x0242, 0x0000, RW, "MAIN1_SADDR_1"},
    {0x0244, 0x0000, RW, "MAIN1_STRIDE"},
    {0x0246, 0x0000, RW, "MAIN1_HORZ_SIZE"},
    {0x0248, 0x0000, RW, "MAIN1_VERT_SIZE"},
    {0x024A, 0x0000, RW, "MAIN2_SADDR_0"},
    {0x024C, 0x0000, RW, "MAIN2_SADDR_1"},
    {0x024E, 0x0000, RW, "MAIN2_STRIDE"},
    {0x0250, 0x0000, RW, "MAIN2_HORZ_SIZE"},
    {0x0252, 0x0000, RW, "MAIN2_VERT_SIZE"},
    {0x0260, 0x0000, RW, "PIP1_SCALING"},
    {0x0262, 0x0000, RW, "PIP1_HORZ_SCALE"},
    {0x0264, 0x0000, RW, "PIP1_VERT_SCALE"},
    {0x0266, 0x0000, RW, "PIP1_SCALER_PORT"},
    {0x0268, 0x0000, RW, "PIP1_SCALER_COEF"},
    {0x026E, 0x0000, RW, "PIP1_SCALER_CTRL"},
    {0x0270, 0x0000, RW, "PIP1_SCROLL_SA_0"},
    {0x0272, 0x0000, RW, "PIP1_SCROLL_SA_1"},
    {0x0274, 0xFFFC, RW, "PIP1_SCROLL_EA_0"},
    {0x0276, 0x000F, RW, "PIP1_SCROLL_EA_1"},
    {0x0278, 0x0000, RW, "PIP1_SADDR_0"},
    {0x027A, 0x0000, RW, "PIP1_SADDR_1"},
    {0x027C, 0x0000, RW, "PIP1_STRIDE"},
    {0x027E, 0x0000, RW, "PIP1_HORZ_SIZE"},
    {0x0280, 0x0000, RW, "PIP1_VERT_SIZE"},
    {0x0282, 0x0000, RW, "PIP1_PSEUDO"},
    {0x02A0, 0x0000, RW, "PIP2_SCALING"},
    {0x02A2, 0x0000, RW, "PIP2_HORZ_SCALE"},
    {0x02A4, 0x0000, RW, "PIP2_VERT_SCALE"},
    {0x02A6, 0x0000, RW, "PIP2_SCALER_PORT"},
    {0x02A8, 0x0000, RW, "PIP2_SCALER_COEF"},
    {0x02AE, 0x0000, RW, "PIP2_SCALER_CTRL"},
    {0x02B0, 0x0000, RW, "PIP2_SCROLL_SA_0"},
    {0x02B2, 0x0000, RW, "PIP2_SCROLL_SA_1"},
    {0x02B4, 0xFFFC, RW, "PIP2_SCROLL_EA_0"},
    {0x02B6, 0x000F, RW, "PIP2_SCROLL_EA_1"},
    {0x02B8, 0x0000, RW, "PIP2_SADDR_0"},
    {0x02BA, 0x0000, RW, "PIP2_SADDR_1"},
    {0x02BC, 0x0000, RW, "PIP2_STRIDE"},
    {0x02BE, 0x0000, RW, "PIP2_HORZ_SIZE"},
    {0x02C0, 0x0000, RW, "PIP2_VERT_SIZE"},
    {0x0300, 0x0000, RW, "GPIO_CONFIG_0"},
    {0x0302, 0x0000, RW, "GPIO_CONFIG_1"},
    {0x0304, 0x0000, RW, "GPIO_INPUT_0"},
    {0x0306, 0x0000, RW, "GPIO_INPUT_1"},
    {0x0308, 0xFFFF, RW, "GPIO_PULLDOWN_0"},
    {0x030A, 0x00FF, RW, "GPIO_PULLDOWN_1"},
    {0x030C, 0x0000, RW, "GPIO_STATUS_0"},
    {0x030E, 0x0000, RW, "GPIO_STATUS_1"},
    {0x0310, 0x0000, RW, "GPIO_POS_EDGE_0"},
    {0x0312, 0x0000, RW, "GPIO_POS_EDGE_1"},
    {0x0314, 0x0000, RW, "GPIO_NEG_EDGE_0"},
    {0x0316, 0x0000, RW, "GPIO_NEG_EDGE_1"},
    {0x0318, 0x0000, RW, "GPIO_IRQ_0"},
    {0x031A, 0x0000, RW, "GPIO_IRQ_1"},
    {0x0400, 0x0000, RW, "PIP2LUT_COUNTER"},
    {0x0402, 0x0000, RW, "PIP2LUT_DATAPORT"},
    {0x0500, 0x0000, RW, "LCDLUT_COUNTER"},
    {0x0502, 0x0000, RW, "LCDLUT_DATAPORT"},
    {0x0A00, 0x0000, RO, "IRQ_STATUS"},
    {0x0A02, 0x0000, RW, "IRQ_CONTROL_0"},
    {0x0A04, 0x0000, RW, "IRQ_CONTROL_1"},
};

// Bits of registers that act when written and read back as 0.
constexpr uint16_t kHwcReset = 0x8000;          // HOST_CONFIG
constexpr uint16_t kHwcEnable = 0x0001;         // HOST_CONFIG
constexpr uint16_t kLcdReset = 0x0080;          // DISPLAY_MODE_0
constexpr uint16_t kLcdLutAddrClear = 0x0002;   // DISPLAY_MODE_0
constexpr uint16_t kPip2LutAddrClear = 0x0001;  // DISPLAY_MODE_0
constexpr uint16_t kPortEnable = 0x0400;        // DISPLAY_MODE_1
constexpr uint16_t kPortStatus = 0x2000;        // DISPLAY_MODE_1, read-only: follows the enable
constexpr uint16_t kCountReset = 0x0001;        // PIPn_SCALER_PORT
constexpr uint16_t kCoefSelect = 0x0010;        // PIPn_SCALER_PORT
constexpr uint16_t kScalerReset = 0x8000;       // PIPn_SCALER_CTRL
constexpr uint16_t kRectangular = 0x8000;       // MEM_SADDR_1
constexpr uint16_t kHwcComplete = 0x0001;       // HWC_RAW_STATUS, HWC_STATUS
constexpr uint16_t kVndp = 0x0080;              // MISC_CONFIG
constexpr uint16_t kLcdPort = 0x0400;           // DISPLAY_MODE_1
constexpr int kLcdLut = 0;
constexpr int kPip2Lut = 1;

// Position in kRegisters by index / 2, or kNoRegister.
constexpr uint8_t kNoRegister = 0xFF;
static_assert(sizeof kRegisters / sizeof kRegisters[0] < kNoRegister);

struct RegisterLookup {
  uint8_t slot[kRegisterSpace / 2];
  constexpr RegisterLookup() : slot() {
    for (auto& s : slot) s = kNoRegister;
    for (size_t i = 0; i < sizeof kRegisters / sizeof kRegisters[0]; i++) {
      slot[kRegisters[i].index >> 1] = static_cast<uint8_t>(i);
    }
  }
};
constexpr RegisterLookup kLookup;

const RegisterInfo* FindRegister(uint32_t index) {
  if (index >= kRegisterSpace || (index & 1)) return nullptr;
  uint8_t slot = kLookup.slot[index >> 1];
  return slot == kNoRegister ? nullptr : &kRegisters[slot];
}

uint16_t& Reg(ChipState* chip, uint32_t index) {
  return chip->regs[(index & (kRegisterSpace - 1)) >> 1];
}

// Accesses to no register, or writes to a read-only one, are counted and, when VORN_SIM_LOG is
// set, reported on standard error; the access itself does nothing.
void BadAccess(ChipState* chip, uint32_t index, const char* what, const RegisterInfo* reg) {
  chip->badAccesses++;
  chip->lastBadIndex = index;
  if (std::getenv("VORN_SIM_LOG")) {
    std::fprintf(stderr, "sim 77Q41: %s %04X %s\n", what, index, reg ? reg->name : "");
  }
}

// ---- memory-access engine ----

void LatchMemoryAddress(ChipState* chip) {
  uint32_t high = Reg(chip, kRegMemAddressHigh) & 0x000F;
  chip->memAddress = ((high << 16) | (Reg(chip, kRegMemAddressLow) & 0xFFFE)) & kDisplayMemoryMask;
  chip->memLineStart = chip->memAddress;
  chip->memLineDone = 0;
}

bool Rectangular(ChipState* chip) {
  return (Reg(chip, kRegMemAddressHigh) & kRectangular) != 0;
}

// Bytes the engine can move before its address jumps: to the end of the rectangle line, or to
// the end of display memory where it wraps.
uint32_t LinearRun(ChipState* chip) {
  chip->memAddress &= kDisplayMemoryMask & ~1u;
  uint32_t run = kDisplayMemorySize - chip->memAddress;
  if (Rectangular(chip)) {
    uint32_t lineBytes = Reg(chip, kRegRectLineWidth) + 2u;
    uint32_t left = chip->memLineDone < lineBytes ? lineBytes - chip->memLineDone : 2;
    if (left < run) run = left;
  }
  return run;
}

void AdvanceMemory(ChipState* chip, uint32_t bytes) {
  chip->memAddress = (chip->memAddress + bytes) & kDisplayMemoryMask;
  if (!Rectangular(chip)) return;
  chip->memLineDone += bytes;
  if (chip->memLineDone >= Reg(chip, kRegRectLineWidth) + 2u) {
    chip->memLineStart =
        (chip->memLineStart + Reg(chip, kRegRectLineOffset) + 2u) & kDisplayMemoryMask;
    chip->memAddress = chip->memLineStart;
    chip->memLineDone = 0;
  }
}

// ---- host write-window engine ----

bool HwcActive(ChipState* chip) {
  return (Reg(chip, kRegHostConfig) & kHwcEnable) != 0;
}

void StartHwc(ChipState* chip) {
  LatchMemoryAddress(chip);
  chip->hwcBase = chip->memAddress;
  chip->hwcPixel = 0;
}

// Places pixel number hwcPixel of the incoming image: rows of width pixels, turned and mirrored
// as HOST_CONFIG says, the first pixel at hwcBase. Every data type is taken as 16-bit pixels;
// the 4:2:0 types (2 and 3) bring three words for every four pixels, which end the image sooner.
void HwcPixel(ChipState* chip, uint16_t pixel) {
  uint16_t config = Reg(chip, kRegHostConfig);
  uint64_t width = Reg(chip, kRegHwcWidth) + 2u;
  uint64_t height = Reg(chip, kRegHwcHeight) + 1u;
  int64_t stride = Reg(chip, kRegHwcLineOffset);
  int64_t row = chip->hwcPixel / width;
  int64_t column = chip->hwcPixel % width;
  bool mirror = (config & 0x0008) != 0;
  int64_t across = 0;  // pixels to the right of the first pixel
  int64_t down = 0;    // lines below it
  switch ((config >> 1) & 3) {
    case 0:  // 0 degrees: rows go down, pixels to the right (to the left mirrored)
      across = mirror ? -column : column;
      down = row;
      break;
    case 1:  // 90 degrees: rows go left, pixels down
      across = mirror ? row : -row;
      down = column;
      break;
    case 2:  // 180 degrees: rows go up, pixels to the left
      across = mirror ? column : -column;
      down = -row;
      break;
    default:  // 270 degrees: rows go right, pixels up
      across = mirror ? -row : row;
      down = -column;
      break;
  }
  if (config & 0x0010) pixel = static_cast<uint16_t>((pixel << 8) | (pixel >> 8));
  uint32_t at =
      static_cast<uint32_t>(chip->hwcBase + down * stride + across * 2) & kDisplayMemoryMask & ~1u;
  chip->memory[at] = static_cast<uint8_t>(pixel);
  chip->memory[at + 1] = static_cast<uint8_t>(pixel >> 8);
  uint32_t dataType = config >> 5 & 7;
  uint64_t words = dataType == 2 || dataType == 3 ? width * height * 3 / 4 : width * height;
  if (++chip->hwcPixel < words || ChipFault.stuckBusy) return;
  Reg(chip, kRegHostConfig) &= ~kHwcEnable;
  Reg(chip, kRegHwcRawStatus) |= kHwcComplete;
  Reg(chip, kRegHwcStatus) |= kHwcComplete;
}

// ---- panel scan ----

// A frame of 16 lines, the last two of them the vertical non-display period (VNDP). Every
// voutrate-th frame sends a VOUT pulse voutdelay lines after its start; the board wires VOUT to
// the GPIO inputs, so every pin configured as an input latches its interrupt status.
constexpr uint32_t kScanLines = 16;
constexpr uint32_t kVndpLines = 2;

bool Scanning(ChipState* chip) {
  return (Reg(chip, kRegDisplayMode1) & kLcdPort) != 0;
}

void AdvanceScan(ChipState* chip) {
  if (!Scanning(chip)) return;
  chip->scanLine = (chip->scanLine + 1) % kScanLines;
  if (chip->scanLine == 0) chip->scanFrame++;
  uint16_t vout = Reg(chip, kRegVoutConfig);
  uint32_t rate = vout >> 12;
  uint32_t delay = (vout & 0x03FF) % kScanLines;
  if (rate == 0 || chip->scanFrame % rate != 0 || chip->scanLine != delay) return;
  Reg(chip, kRegGpioIrq0) |= static_cast<uint16_t>(~Reg(chip, kRegGpioConfig0));
  Reg(chip, kRegGpioIrq1) |= static_cast<uint16_t>(~Reg(chip, kRegGpioConfig1) & 0x00FF);
}

// MISC_CONFIG with its VNDP bit from the scan (as stored when the panel is not driven).
uint16_t MiscConfig(ChipState* chip) {
  uint16_t value = Reg(chip, kRegMiscConfig);
  if (!Scanning(chip)) return value;
  bool vndp = chip->scanLine >= kScanLines - kVndpLines;
  return static_cast<uint16_t>((value & ~kVndp) | (vndp ? kVndp : 0));
}

// ---- data ports ----

void MemoryPortWrite(ChipState* chip, uint16_t value) {
  if (HwcActive(chip)) {
    HwcPixel(chip, value);
    return;
  }
  LinearRun(chip);
  chip->memory[chip->memAddress] = static_cast<uint8_t>(value);
  chip->memory[chip->memAddress + 1] = static_cast<uint8_t>(value >> 8);
  AdvanceMemory(chip, 2);
}

uint16_t MemoryPortRead(ChipState* chip) {
  LinearRun(chip);
  uint16_t value = static_cast<uint16_t>(chip->memory[chip->memAddress] |
                                         chip->memory[chip->memAddress + 1] << 8);
  AdvanceMemory(chip, 2);
  return value;
}

void LutPortWrite(ChipState* chip, int lut, uint16_t value) {
  uint8_t* entry = chip->lut[lut][chip->lutCounter[lut]];
  if (chip->lutSecondHalf[lut]) {
    entry[0] = static_cast<uint8_t>(value);
    chip->lutCounter[lut]++;  // wraps after entry 255
  } else {
    entry[1] = static_cast<uint8_t>(value >> 8);
    entry[2] = static_cast<uint8_t>(value);
  }
  chip->lutSecondHalf[lut] ^= 1;
}

uint16_t LutPortRead(ChipState* chip, int lut) {
  const uint8_t* entry = chip->lut[lut][chip->lutCounter[lut]];
  uint16_t value = 0;
  if (chip->lutSecondHalf[lut]) {
    value = entry[0];
    chip->lutCounter[lut]++;
  } else {
    value = static_cast<uint16_t>(entry[1] << 8 | entry[2]);
  }
  chip->lutSecondHalf[lut] ^= 1;
  return value;
}

void SetLutCounter(ChipState* chip, int lut, uint8_t entry) {
  chip->lutCounter[lut] = entry;
  chip->lutSecondHalf[lut] = 0;
}

// The coefficient the port reaches now, in the table its counter register selects; the counter
// then moves on.
int8_t& NextCoefficient(ChipState* chip, int scaler, uint32_t portIndex) {
  int table = (Reg(chip, portIndex) & kCoefSelect) ? 1 : 0;
  uint8_t& counter = chip->coefCounter[scaler];
  counter &= kCoefEntries - 1;
  int8_t& entry = chip->coef[scaler][table][counter];
  counter = (counter + 1) & (kCoefEntries - 1);
  return entry;
}

// Both scalers' registers differ only by their base: PIP1 0260h, PIP2 02A0h.
int ScalerOf(uint32_t index) {
  return index >= kRegPip2ScalerPort ? 1 : 0;
}

void ResetEngines(ChipState* chip) {
  for (int lut = 0; lut < kLutCount; lut++) SetLutCounter(chip, lut, 0);
  for (uint8_t& counter : chip->coefCounter) counter = 0;
  chip->memAddress = chip->memLineStart = chip->memLineDone = 0;
  chip->hwcBase = chip->hwcPixel = 0;
  chip->scanLine = chip->scanFrame = 0;
}

}  // namespace

void ChipPowerOn(ChipState* chip) {
  std::memset(chip, 0, sizeof *chip);
  ChipSoftReset(chip);
}

void ChipSoftReset(ChipState* chip) {
  std::memset(chip->regs, 0, sizeof chip->regs);
  for (const RegisterInfo& reg : kRegisters) Reg(chip, reg.index) = reg.reset;
  ResetEngines(chip);
}

bool ChipIsPort(uint32_t index) {
  switch (index) {
    case kRegMemPort:         // MEM_ACCESS_PORT
    case kRegPip1ScalerCoef:  // PIP1_SCALER_COEF
    case kRegPip2ScalerCoef:  // PIP2_SCALER_COEF
    case kRegPip2LutData:     // PIP2LUT_DATAPORT
    case kRegLcdLutData:      // LCDLUT_DATAPORT
      return true;
    default:
      return false;
  }
}

uint16_t ChipRead(ChipState* chip, uint32_t index) {
  const RegisterInfo* reg = FindRegister(index);
  if (reg == nullptr) {
    BadAccess(chip, index, "read of no register", nullptr);
    return 0;
  }
  switch (index) {
    case kRegMiscConfig:  // MISC_CONFIG
      AdvanceScan(chip);
      return MiscConfig(chip);
    case kRegGpioIrq0:  // GPIO_IRQ_0
    case kRegGpioIrq1:  // GPIO_IRQ_1
      AdvanceScan(chip);
      return Reg(chip, index);
    case kRegMemPort:  // MEM_ACCESS_PORT
      return MemoryPortRead(chip);
    case kRegPip1ScalerPort:    // PIP1_SCALER_PORT
    case kRegPip2ScalerPort: {  // PIP2_SCALER_PORT
      uint16_t counter = chip->coefCounter[ScalerOf(index)] & (kCoefEntries - 1);
      return static_cast<uint16_t>(Reg(chip, index) | counter << 8);
    }
    case kRegPip1ScalerCoef:  // PIP1_SCALER_COEF: the coefficient memory reads back
    case kRegPip2ScalerCoef:  // PIP2_SCALER_COEF
      return static_cast<uint8_t>(NextCoefficient(chip, ScalerOf(index), index - 2));
    case kRegPip2LutCounter:  // PIP2LUT_COUNTER
      return chip->lutCounter[kPip2Lut];
    case kRegPip2LutData:  // PIP2LUT_DATAPORT
      return LutPortRead(chip, kPip2Lut);
    case kRegLcdLutCounter:  // LCDLUT_COUNTER
      return chip->lutCounter[kLcdLut];
    case kRegLcdLutData:  // LCDLUT_DATAPORT
      return LutPortRead(chip, kLcdLut);
    default:
      return reg->access == WO ? 0 : Reg(chip, index);
  }
}

void ChipWrite(ChipState* chip, uint32_t index, uint16_t value, uint16_t laneMask) {
  const RegisterInfo* reg = FindRegister(index);
  if (reg == nullptr || reg->access == RO) {
    BadAccess(chip, index, reg ? "write to read-only" : "write to no register", reg);
    return;
  }
  // A byte write keeps the other byte as stored.
  uint16_t& stored = Reg(chip, index);
  uint16_t written = value & laneMask;
  value = static_cast<uint16_t>((stored & ~laneMask) | (value & laneMask));
  switch (index) {
    case kRegSoftReset:  // SOFT_RESET
      ChipSoftReset(chip);
      return;
    case kRegHostConfig: {  // HOST_CONFIG
      bool starting = (value & kHwcEnable) && !(stored & kHwcEnable);
      stored = value & ~kHwcReset;
      if (value & kHwcReset) {
        stored &= ~kHwcEnable;
        chip->hwcPixel = 0;
      } else if (starting) {
        StartHwc(chip);
      }
      return;
    }
    case kRegMemAddressLow:   // MEM_SADDR_0
    case kRegMemAddressHigh:  // MEM_SADDR_1
      stored = value;
      LatchMemoryAddress(chip);
      return;
    case kRegMemPort:  // MEM_ACCESS_PORT
      MemoryPortWrite(chip, value);
      return;
    case kRegHwcStatus:  // HWC_STATUS: a 1 clears the event
      stored &= ~written;
      Reg(chip, kRegHwcRawStatus) &= ~written;
      return;
    case kRegDisplayMode0:  // DISPLAY_MODE_0
      if (value & kLcdLutAddrClear) SetLutCounter(chip, kLcdLut, 0);
      if (value & kPip2LutAddrClear) SetLutCounter(chip, kPip2Lut, 0);
      stored = value & ~(kLcdReset | kLcdLutAddrClear | kPip2LutAddrClear);
      return;
    case kRegDisplayMode1:  // DISPLAY_MODE_1: the port reports the state it was switched to
      stored =
          static_cast<uint16_t>((value & ~kPortStatus) | (value & kPortEnable ? kPortStatus : 0));
      return;
    case kRegPip1ScalerPort:  // PIP1_SCALER_PORT
    case kRegPip2ScalerPort:  // PIP2_SCALER_PORT
      if (value & kCountReset) chip->coefCounter[ScalerOf(index)] = 0;
      stored = value & 0x00FE;  // the counter bits are read-only
      return;
    case kRegPip1ScalerCoef:  // PIP1_SCALER_COEF
    case kRegPip2ScalerCoef:  // PIP2_SCALER_COEF
      NextCoefficient(chip, ScalerOf(index), index - 2) = static_cast<int8_t>(value & 0xFF);
      return;
    case 0x026E:  // PIP1_SCALER_CTRL
    case 0x02AE:  // PIP2_SCALER_CTRL
      if (value & kScalerReset) chip->coefCounter[ScalerOf(index)] = 0;
      stored = value & ~kScalerReset;
      return;
    case kRegPip2LutCounter:  // PIP2LUT_COUNTER
      SetLutCounter(chip, kPip2Lut, static_cast<uint8_t>(value));
      return;
    case kRegPip2LutData:  // PIP2LUT_DATAPORT
      LutPortWrite(chip, kPip2Lut, value);
      return;
    case kRegLcdLutCounter:  // LCDLUT_COUNTER
      SetLutCounter(chip, kLcdLut, static_cast<uint8_t>(value));
      return;
    case kRegLcdLutData:  // LCDLUT_DATAPORT
      LutPortWrite(chip, kLcdLut, value);
      return;
    default:
      stored = value;
      return;
  }
}

void ChipWriteRepeated(ChipState* chip, uint32_t index, const uint8_t* bytes, size_t count) {
  size_t done = 0;
  // Display memory in linear or rectangular mode moves in runs rather than word by word.
  if (index == kRegMemPort && !HwcActive(chip)) {
    while (count - done >= 2) {
      uint32_t run = LinearRun(chip);
      if (run > count - done) run = static_cast<uint32_t>((count - done) & ~size_t{1});
      std::memcpy(chip->memory + chip->memAddress, bytes + done, run);
      AdvanceMemory(chip, run);
      done += run;
    }
  }
  for (; count - done >= 2; done += 2) {
    ChipWrite(chip, index, static_cast<uint16_t>(bytes[done] | bytes[done + 1] << 8), 0xFFFF);
  }
  if (done < count) ChipWrite(chip, index, bytes[done], 0x00FF);
}

void ChipReadRepeated(ChipState* chip, uint32_t index, uint8_t* bytes, size_t count) {
  size_t done = 0;
  if (index == kRegMemPort) {
    while (count - done >= 2) {
      uint32_t run = LinearRun(chip);
      if (run > count - done) run = static_cast<uint32_t>((count - done) & ~size_t{1});
      std::memcpy(bytes + done, chip->memory + chip->memAddress, run);
      AdvanceMemory(chip, run);
      done += run;
    }
  }
  for (; count - done >= 2; done += 2) {
    uint16_t value = ChipRead(chip, index);
    bytes[done] = static_cast<uint8_t>(value);
    bytes[done + 1] = static_cast<uint8_t>(value >> 8);
  }
  if (done < count) bytes[done] = static_cast<uint8_t>(ChipRead(chip, index));
}

bool ChipBusy(const ChipState* chip) {
  return ChipFault.stuckBusy || (chip->regs[kRegHostConfig >> 1] & kHwcEnable) != 0;
}
