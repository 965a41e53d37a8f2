// The way to a colour look-up table that the L command and the register snapshots share: unless
// the table is bypassed, the LCD port is off while the table is read or written, and afterwards
// back in the state the chip reported before.
#pragma once

#include <cstdint>

constexpr uint32_t kLutSize = 256;

// Components in the order the HAL hands them over: red, green, blue.
enum LutComponent : int { kRed = 0, kGreen = 1, kBlue = 2, kAllComponents = 3 };
struct Rgb {
  uint8_t c[3];
};

// The table and how to reach it without disturbing the panel.
struct LutTarget {
  int number;           // 1 (the LCD-LUT) or 2 (the PIP2-LUT)
  uint32_t window;      // the HAL's selector
  bool bypassed;        // a bypassed table is reached as it is
  uint32_t portStatus;  // the LCD port state to restore after an access
};

// LUT number 1 or 2 with the port state and the bypass as the chip reports them now.
LutTarget LutTargetOf(int number);

// Switches the LCD port off for its scope, unless the table is bypassed.
class LutAccess {
 public:
  explicit LutAccess(const LutTarget& target);
  ~LutAccess();
  LutAccess(const LutAccess&) = delete;
  LutAccess& operator=(const LutAccess&) = delete;

 private:
  const LutTarget& target_;
};

// One entry; the caller holds a LutAccess around it.
Rgb ReadLutEntry(const LutTarget& target, uint32_t index);
void WriteLutEntry(const LutTarget& target, uint32_t index, const Rgb& rgb);
