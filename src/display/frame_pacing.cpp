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

namespace {

// Piped input holds keys and commands: blanks, line ends and Esc are keys, anything else starts
// the next command, which must reach the prompt whole.
bool PipedCommandFollows() {
  if (ConsoleIsTerminal()) return false;
  int c = ConsolePeekByte();
  return c >= 0 && c != ' ' && c != '\n' && c != '\r' && c != kKeyEsc;
}

}  // namespace

int ReadPlaybackKey() {
  if (PipedCommandFollows()) return kKeyEsc;
  return ConsoleReadKeyPress();
}

int PlaybackKey(bool endless) {
  if (!ConsoleIsTerminal() && !endless) return -1;
  if (!ConsoleKeyPending()) return -1;
  return ReadPlaybackKey();
}

bool PlaybackStopRequested(bool endless) {
  return PlaybackKey(endless) >= 0;
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
