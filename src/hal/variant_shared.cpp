#include "hal/variant_shared.h"

#include "hal/hal.h"
#include "platform/assert.h"
#include "platform/timing.h"

void CheckEven(uint32_t index, const char* op) {
  if (index & 1) HalAssert("%s() Index must be even.", op);
}

void CheckLongIndex(uint32_t index, const char* op) {
  CheckEven(index, op);
  if ((index & 0xFF) > 0xFC) HalAssert("%s() Index must not cross high-byte boundary.", op);
}

MemoryAddressWords MemoryAddress(uint32_t address, bool read, bool rectangle) {
  uint32_t flags = (read ? kReadBit : 0) | (rectangle ? kRectangleFlag : 0);
  return {((address & ~1u) | flags) >> 16, (address & 0xFFFE) | (read ? kReadBit : 0)};
}

uint32_t WordWithByte(uint32_t word, uint32_t address, uint32_t value) {
  return address & 1 ? (word & 0x00FF) | (value & 0xFF) << 8 : (word & 0xFF00) | (value & 0xFF);
}

void SetReadRectangle(uint32_t width, uint32_t stride) {
  qvWriteReg16(kMemRectWidth, width * 2 - 2);
  qvWriteReg16(kMemRectOffset, stride * 2 - 2);
}

void SetWriteRectangle(uint32_t width, uint32_t stride) {
  qvWriteReg16(kMemRectOffset, stride * 2 - 2);
  qvWriteReg16(kMemRectWidth, width * 2 - 2);
}

int WaitRegBits(uint32_t (*read16)(uint32_t), uint32_t index, uint16_t mask, uint32_t stepMs,
                uint32_t timeoutMs, bool set) {
  uint32_t start = MillisecondClock();
  uint32_t elapsed = 0;
  for (;;) {
    bool isSet = (read16(index) & mask) != 0;
    if (isSet == set) return 1;
    if (stepMs > 0) {
      SleepMilliseconds(stepMs);
      elapsed += stepMs;
    } else {
      elapsed = MillisecondClock() - start;
    }
    if (elapsed >= timeoutMs) return 0;
  }
}
