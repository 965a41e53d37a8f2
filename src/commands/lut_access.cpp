#include "commands/lut_access.h"

#include "chipdef/chipdef.h"
#include "hal/hal.h"

namespace {

constexpr uint32_t kLcdLutSelector = 1;  // LUT1; LUT2 is kPip2LutWindow

}  // namespace

LutTarget LutTargetOf(int number) {
  LutTarget target = {number, number == 2 ? kPip2LutWindow : kLcdLutSelector, false, 0};
  target.portStatus = ChipModel().GetValue("portstatus");
  target.bypassed = qvLcdIsLutBypassed(target.window);
  return target;
}

LutAccess::LutAccess(const LutTarget& target) : target_(target) {
  if (!target_.bypassed) ChipModel().SetValue("port", 0);
}

LutAccess::~LutAccess() {
  if (!target_.bypassed) ChipModel().SetValue("port", target_.portStatus);
}

Rgb ReadLutEntry(const LutTarget& target, uint32_t index) {
  const uint32_t entry = qvLcdGetGammaTableEntry(index, target.window);
  return {{static_cast<uint8_t>(entry), static_cast<uint8_t>(entry >> 8),
           static_cast<uint8_t>(entry >> 16)}};
}

void WriteLutEntry(const LutTarget& target, uint32_t index, const Rgb& rgb) {
  qvLcdSetGammaTableEntry(index, rgb.c, target.window);
}
