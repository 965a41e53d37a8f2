#include "display/frame_pacing.h"

#include "chipdef/chipdef.h"
#include "console/output.h"
#include "hal/hal.h"
#include "platform/console.h"

namespace {

constexpr uint32_t kMiscConfig = 0x0014;  // MISC_CONFIG
constexpr uint16_t kVndp = 0x0080;        // vertical non-display period
constexpr uint32_t kGpioIrq0 = 0x0318;    // GPIO_IRQ_0: pins 0-15
constexpr uint32_t kGpioIrq1 = 0x031A;    // GPIO_IRQ_1: pins 16-23
constexpr uint32_t kTimeoutMs = 5000;

bool VndpTimeout() {
  return OutPrintf(CH_ERR, "ERROR: Polling for VNDP status bit rising edge has reached timeout.\n");
}

}  // namespace

bool WaitVndpRisingEdge() {
  if (!qvWaitRegBitsClear16(kMiscConfig, kVndp, 0, kTimeoutMs)) return VndpTimeout();
  if (!qvWaitRegBitsSet16(kMiscConfig, kVndp, 0, kTimeoutMs)) return VndpTimeout();
  return true;
}

bool PollGpioPin(uint32_t pin) {
  uint32_t index = pin < 16 ? kGpioIrq0 : kGpioIrq1;
  uint16_t bit = static_cast<uint16_t>(1u << (pin % 16));
  if (!qvWaitRegBitsSet16(index, bit, 0, kTimeoutMs)) {
    return OutPrintf(CH_ERR, "ERROR: Polling for GPIO interrupt has reached timeout.\n");
  }
  uint32_t value = qvReadReg16(index);
  qvWriteReg16(index, value | bit);
  qvWriteReg16(index, value & ~uint32_t{bit});
  return true;
}

bool PlaybackStopRequested(bool endless) {
  if (!ConsoleIsTerminal() && !endless) return false;
  if (!ConsoleKeyPending()) return false;
  if (ConsoleReadKey() == kKeyExtended) ConsoleReadKey();
  return true;
}

VoutSettings::VoutSettings(uint32_t rate, uint32_t delay)
    : savedRate_(ChipModel().GetValue("voutrate")), savedDelay_(ChipModel().GetValue("voutdelay")) {
  ChipModel().SetValue("voutrate", rate);
  ChipModel().SetValue("voutdelay", delay);
}

VoutSettings::~VoutSettings() {
  ChipModel().SetValue("voutrate", savedRate_);
  ChipModel().SetValue("voutdelay", savedDelay_);
}
