// Raw access to the bridge's own space, and the board windows of the BAR command.
#include "hal/hal.h"
#include "hal/hal_state.h"
#include "platform/assert.h"
#include "platform/board_lock.h"
#include "transport/usb_transport.h"

namespace {

uint32_t RawRead(uint32_t offset, uint32_t size) {
  BridgeLockHold lock;
  uint32_t value = 0;
  UsbSingleRead(Hal.bridgeRegBase + offset, size, kRawDevice, &value);
  return value;
}

void RawWrite(uint32_t offset, uint32_t size, uint32_t value, const char* op) {
  BridgeLockHold lock;
  if (!UsbSingleWrite(Hal.bridgeRegBase + offset, size, kRawDevice, value)) {
    HalAssert("%s() CSCL Error", op);
  }
}

// A window is a real mapping only when its base is an address, not empty and not the bridge's
// marker.
template <typename T>
T* WindowCell(uint32_t window, uint32_t offset) {
  return reinterpret_cast<T*>(Hal.windowBase[window] + offset);
}

}  // namespace

uint32_t halReadRaw8(uint32_t offset) {
  return RawRead(offset, 1);
}
uint32_t halReadRaw16(uint32_t offset) {
  return RawRead(offset, 2);
}
uint32_t halReadRaw32(uint32_t offset) {
  return RawRead(offset, 4);
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

bool qvBarIsMapped(uint32_t window) {
  return window < kBarWindows && Hal.windowBase[window] != 0 &&
         Hal.windowBase[window] != kBridgeWindowMark;
}

uint32_t qvReadBar8(uint32_t window, uint32_t offset) {
  return qvBarIsMapped(window) ? *WindowCell<volatile uint8_t>(window, offset) : 0;
}
uint32_t qvReadBar16(uint32_t window, uint32_t offset) {
  return qvBarIsMapped(window) ? *WindowCell<volatile uint16_t>(window, offset) : 0;
}
uint32_t qvReadBar32(uint32_t window, uint32_t offset) {
  return qvBarIsMapped(window) ? *WindowCell<volatile uint32_t>(window, offset) : 0;
}
void qvWriteBar8(uint32_t window, uint32_t offset, uint32_t value) {
  if (qvBarIsMapped(window))
    *WindowCell<volatile uint8_t>(window, offset) = static_cast<uint8_t>(value);
}
void qvWriteBar16(uint32_t window, uint32_t offset, uint32_t value) {
  if (qvBarIsMapped(window))
    *WindowCell<volatile uint16_t>(window, offset) = static_cast<uint16_t>(value);
}
void qvWriteBar32(uint32_t window, uint32_t offset, uint32_t value) {
  if (qvBarIsMapped(window)) *WindowCell<volatile uint32_t>(window, offset) = value;
}
