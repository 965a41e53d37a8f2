// Raw access (the bridge's own space, or window 0 of a mapped bus), and the board windows of the
// BAR command.
#include "hal/hal.h"
#include "hal/hal_state.h"
#include "platform/assert.h"
#include "platform/board_lock.h"
#include "transport/bus_window.h"
#include "transport/usb_transport.h"

namespace {

bool OnMappedBus() {
  return Hal.bus.window != nullptr;
}

uint32_t WindowRead(uint32_t offset, uint32_t size) {
  const BusWindowOps& window = *Hal.bus.window;
  return size == 1   ? window.read8(offset)
         : size == 2 ? window.read16(offset)
                     : window.read32(offset);
}

void WindowWrite(uint32_t offset, uint32_t size, uint32_t value) {
  const BusWindowOps& window = *Hal.bus.window;
  if (size == 1) window.write8(offset, value & 0xFF);
  if (size == 2) window.write16(offset, value & 0xFFFF);
  if (size == 4) window.write32(offset, value);
}

// On a mapped bus, a raw access outside the window asserts instead of reaching past the mapping.
bool RawInWindow(uint32_t offset, uint32_t size, const char* op) {
  if (qvBarInWindow(0, offset, size)) return true;
  HalAssert("%s() Offset %Xh is outside the mapped window of %Xh bytes.", op, offset, Hal.bus.size);
  return false;
}

uint32_t RawRead(uint32_t offset, uint32_t size, const char* op) {
  if (OnMappedBus()) {
    BridgeLockHold lock;
    return RawInWindow(offset, size, op) ? WindowRead(offset, size) : 0;
  }
  UsbHold lock;
  uint32_t value = 0;
  UsbSingleRead(Hal.bridgeRegBase + offset, size, kRawDevice, &value);
  return value;
}

void RawWrite(uint32_t offset, uint32_t size, uint32_t value, const char* op) {
  if (OnMappedBus()) {
    BridgeLockHold lock;
    if (RawInWindow(offset, size, op)) WindowWrite(offset, size, value);
    return;
  }
  UsbHold lock;
  if (!UsbSingleWrite(Hal.bridgeRegBase + offset, size, kRawDevice, value)) {
    HalAssert("%s() CSCL Error", op);
  }
}

}  // namespace

uint32_t halReadRaw8(uint32_t offset) {
  return RawRead(offset, 1, "halReadRaw8");
}
uint32_t halReadRaw16(uint32_t offset) {
  return RawRead(offset, 2, "halReadRaw16");
}
uint32_t halReadRaw32(uint32_t offset) {
  return RawRead(offset, 4, "halReadRaw32");
}
void halWriteRaw8(uint32_t offset, uint32_t value) {
  RawWrite(offset, 1, value, "halWriteRaw8");
}
void halWriteRaw16(uint32_t offset, uint32_t value) {
  RawWrite(offset, 2, value, "halWriteRaw16");
}
void halWriteRaw32(uint32_t offset, uint32_t value) {
  RawWrite(offset, 4, value, "halWriteRaw32");
}

// A window is a real mapping only when its base is an address, not empty and not the bridge's
// marker; only window 0 is ever mapped, through the mapped bus's window.
bool qvBarIsMapped(uint32_t window) {
  return window < kBarWindows && Hal.windowBase[window] != 0 &&
         Hal.windowBase[window] != kBridgeWindowMark;
}

bool qvBarInWindow(uint32_t window, uint32_t offset, uint32_t bytes) {
  return window == 0 && qvBarIsMapped(0) && OnMappedBus() && bytes <= Hal.bus.size &&
         offset <= Hal.bus.size - bytes;
}

uint32_t qvReadBar8(uint32_t window, uint32_t offset) {
  return qvBarInWindow(window, offset, 1) ? WindowRead(offset, 1) : 0;
}
uint32_t qvReadBar16(uint32_t window, uint32_t offset) {
  return qvBarInWindow(window, offset, 2) ? WindowRead(offset, 2) : 0;
}
uint32_t qvReadBar32(uint32_t window, uint32_t offset) {
  return qvBarInWindow(window, offset, 4) ? WindowRead(offset, 4) : 0;
}
void qvWriteBar8(uint32_t window, uint32_t offset, uint32_t value) {
  if (qvBarInWindow(window, offset, 1)) WindowWrite(offset, 1, value);
}
void qvWriteBar16(uint32_t window, uint32_t offset, uint32_t value) {
  if (qvBarInWindow(window, offset, 2)) WindowWrite(offset, 2, value);
}
void qvWriteBar32(uint32_t window, uint32_t offset, uint32_t value) {
  if (qvBarInWindow(window, offset, 4)) WindowWrite(offset, 4, value);
}
