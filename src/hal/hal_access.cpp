// The public register and memory operations: breakpoints, access log and trace around the
// chosen variant's entries.
#include <cstdio>

#include "hal/access_hooks.h"
#include "hal/hal.h"
#include "hal/hal_state.h"

namespace {

uint32_t ReadRegister(uint32_t index, uint32_t width, uint32_t (*read)(uint32_t)) {
  if (BreakpointsActive()) BreakpointHook(index, kAccessRead, kHookBefore, 0, width);
  uint32_t value = read(index);
  if (AccessLogActive()) RecordAccess(EventFor(kEvRegRead8, width), index, value);
  if (BreakpointsActive()) BreakpointHook(index, kAccessRead, kHookAfter, value, width);
  return value;
}

void WriteRegister(uint32_t index, uint32_t value, uint32_t width,
                   void (*write)(uint32_t, uint32_t)) {
  if (BreakpointsActive()) BreakpointHook(index, kAccessWrite, kHookBefore, value, width);
  if (AccessLogActive()) RecordAccess(EventFor(kEvRegWrite8, width), index, value);
  write(index, value);
  if (Hal.traceOn) {
    if (width == 1)
      std::printf("   HAL [%04lX] W:%02X\n", static_cast<unsigned long>(index), value);
    if (width == 2)
      std::printf("   HAL [%04lX] W:%04X\n", static_cast<unsigned long>(index), value);
    if (width == 4) {
      std::printf("   HAL [%04lX] W:%08lX\n", static_cast<unsigned long>(index),
                  static_cast<unsigned long>(value));
    }
  }
  if (BreakpointsActive()) BreakpointHook(index, kAccessWrite, kHookAfter, value, width);
}

template <typename Op>
uint16_t ModifyRegister(uint32_t index, AccessEvent event, Op op) {
  if (BreakpointsActive()) BreakpointHook(index, kAccessModify, kHookBefore, 0, 2);
  uint16_t written = op();
  if (AccessLogActive()) RecordAccess(EventFor(event, 2), index, written);
  if (BreakpointsActive()) BreakpointHook(index, kAccessModify, kHookAfter, written, 2);
  return written;
}

}  // namespace

uint32_t qvReadReg8(uint32_t index) {
  return ReadRegister(index, 1, Hal.dispatch.readReg8);
}
uint32_t qvReadReg16(uint32_t index) {
  return ReadRegister(index, 2, Hal.dispatch.readReg16);
}
uint32_t qvReadReg32(uint32_t index) {
  return ReadRegister(index, 4, Hal.dispatch.readReg32);
}

void qvWriteReg8(uint32_t index, uint32_t value) {
  WriteRegister(index, value & 0xFF, 1, Hal.dispatch.writeReg8);
}
void qvWriteReg16(uint32_t index, uint32_t value) {
  WriteRegister(index, value & 0xFFFF, 2, Hal.dispatch.writeReg16);
}
void qvWriteReg32(uint32_t index, uint32_t value) {
  WriteRegister(index, value, 4, Hal.dispatch.writeReg32);
}

uint16_t qvModifyReg16(uint32_t index, uint16_t mask, uint16_t value) {
  return ModifyRegister(index, kEvModify8,
                        [&] { return Hal.dispatch.modifyReg16(index, mask, value); });
}
uint16_t qvSetBitsReg16(uint32_t index, uint16_t bits) {
  return ModifyRegister(index, kEvSetBits8, [&] { return Hal.dispatch.setBitsReg16(index, bits); });
}
uint16_t qvClearBitsReg16(uint32_t index, uint16_t bits) {
  return ModifyRegister(index, kEvClearBits8,
                        [&] { return Hal.dispatch.clearBitsReg16(index, bits); });
}

void qvBurstReadReg8(uint32_t index, uint8_t* buffer, uint32_t count) {
  if (buffer == nullptr || count == 0) return;
  Hal.dispatch.burstReadReg8(index, buffer, count);
  if (AccessLogActive()) RecordBlock(kEvRegBurstRead8, index, buffer, count);
}
void qvBurstReadReg16(uint32_t index, uint16_t* buffer, uint32_t count) {
  if (buffer == nullptr || count == 0) return;
  Hal.dispatch.burstReadReg16(index, buffer, count);
  if (AccessLogActive()) RecordBlock(kEvRegBurstRead8 + 1, index, buffer, count);
}
void qvBurstReadReg32(uint32_t, uint32_t*, uint32_t) {
  std::printf("\nError: 32 bit register burst reads not supported");
}
void qvBurstWriteReg8(uint32_t index, const uint8_t* buffer, uint32_t count) {
  if (buffer == nullptr || count == 0) return;
  if (AccessLogActive()) RecordBlock(kEvRegBurstWrite8, index, buffer, count);
  Hal.dispatch.burstWriteReg8(index, buffer, count);
}
void qvBurstWriteReg16(uint32_t index, const uint16_t* buffer, uint32_t count) {
  if (buffer == nullptr || count == 0) return;
  if (AccessLogActive()) RecordBlock(kEvRegBurstWrite8 + 1, index, buffer, count);
  Hal.dispatch.burstWriteReg16(index, buffer, count);
}
void qvBurstWriteReg32(uint32_t, const uint32_t*, uint32_t) {
  std::printf("\nError: 32 bit register burst writes not supported");
}

int qvWaitRegBitsClear16(uint32_t index, uint16_t mask, uint32_t stepMs, uint32_t timeoutMs) {
  return Hal.dispatch.waitRegBitsClear16(index, mask, stepMs, timeoutMs);
}
int qvWaitRegBitsSet16(uint32_t index, uint16_t mask, uint32_t stepMs, uint32_t timeoutMs) {
  return Hal.dispatch.waitRegBitsSet16(index, mask, stepMs, timeoutMs);
}

namespace {

uint32_t ReadMemory(uint32_t address, uint32_t width, uint32_t (*read)(uint32_t)) {
  uint32_t value = read(address);
  if (AccessLogActive()) RecordAccess(EventFor(kEvMemRead8, width), address, value);
  return value;
}

void LogMemoryWrite(uint32_t address, uint32_t value, uint32_t width, uint32_t count) {
  if (!AccessLogActive()) return;
  RecordAccess(EventFor(kEvMemWrite8, width), address, value, count);
}

template <typename T>
void BlockRead(uint32_t address, T* buffer, uint32_t count, void (*read)(uint32_t, T*, uint32_t)) {
  if (buffer == nullptr || count == 0) return;
  read(address, buffer, count);
  if (AccessLogActive()) RecordBlock(EventFor(kEvMemBlockRead8, sizeof(T)), address, buffer, count);
}

template <typename T>
void RectRead(uint32_t address, T* buffer, uint32_t count, uint32_t width, uint32_t stride,
              void (*read)(uint32_t, T*, uint32_t, uint32_t, uint32_t)) {
  if (buffer == nullptr || count == 0) return;
  read(address, buffer, count, width, stride);
  if (AccessLogActive()) {
    RecordRect(EventFor(kEvMemRectRead8, sizeof(T)), address, count, width, stride);
  }
}

template <typename T>
void BlockWrite(uint32_t address, const T* buffer, uint32_t count,
                void (*write)(uint32_t, const T*, uint32_t)) {
  if (buffer == nullptr || count == 0) return;
  if (AccessLogActive()) {
    RecordBlock(EventFor(kEvMemBlockWrite8, sizeof(T)), address, buffer, count);
  }
  write(address, buffer, count);
}

template <typename T>
void RectWrite(uint32_t address, const T* buffer, uint32_t count, uint32_t width, uint32_t stride,
               void (*write)(uint32_t, const T*, uint32_t, uint32_t, uint32_t)) {
  if (buffer == nullptr || count == 0) return;
  if (AccessLogActive()) {
    RecordRect(EventFor(kEvMemRectWrite8, sizeof(T)), address, count, width, stride);
  }
  write(address, buffer, count, width, stride);
}

}  // namespace

uint32_t qvReadMemory8(uint32_t address) {
  return ReadMemory(address, 1, Hal.dispatch.readMemory8);
}
uint32_t qvReadMemory16(uint32_t address) {
  return ReadMemory(address, 2, Hal.dispatch.readMemory16);
}
uint32_t qvReadMemory32(uint32_t address) {
  return ReadMemory(address, 4, Hal.dispatch.readMemory32);
}

void qvWriteMemory8(uint32_t address, uint32_t value) {
  LogMemoryWrite(address, value & 0xFF, 1, 1);
  Hal.dispatch.writeMemory8(address, value & 0xFF);
}
void qvWriteMemory16(uint32_t address, uint32_t value) {
  LogMemoryWrite(address, value & 0xFFFF, 2, 1);
  Hal.dispatch.writeMemory16(address, value & 0xFFFF);
}
void qvWriteMemory32(uint32_t address, uint32_t value) {
  LogMemoryWrite(address, value, 4, 1);
  Hal.dispatch.writeMemory32(address, value);
}

void qvFillMemory8(uint32_t address, uint32_t value, uint32_t count) {
  LogMemoryWrite(address, value & 0xFF, 1, count);
  Hal.dispatch.fillMemory8(address, value & 0xFF, count);
}
void qvFillMemory16(uint32_t address, uint32_t value, uint32_t count) {
  LogMemoryWrite(address, value & 0xFFFF, 2, count);
  Hal.dispatch.fillMemory16(address, value & 0xFFFF, count);
}
void qvFillMemory32(uint32_t address, uint32_t value, uint32_t count) {
  LogMemoryWrite(address, value, 4, count);
  Hal.dispatch.fillMemory32(address, value, count);
}

void qvBurstReadMemory8(uint32_t a, uint8_t* b, uint32_t n) {
  BlockRead(a, b, n, Hal.dispatch.burstReadMemory8);
}
void qvBurstReadMemory16(uint32_t a, uint16_t* b, uint32_t n) {
  BlockRead(a, b, n, Hal.dispatch.burstReadMemory16);
}
void qvBurstReadMemory32(uint32_t a, uint32_t* b, uint32_t n) {
  BlockRead(a, b, n, Hal.dispatch.burstReadMemory32);
}
void qvBurstReadRectMemory8(uint32_t a, uint8_t* b, uint32_t n, uint32_t w, uint32_t s) {
  RectRead(a, b, n, w, s, Hal.dispatch.burstReadRectMemory8);
}
void qvBurstReadRectMemory16(uint32_t a, uint16_t* b, uint32_t n, uint32_t w, uint32_t s) {
  RectRead(a, b, n, w, s, Hal.dispatch.burstReadRectMemory16);
}
void qvBurstReadRectMemory32(uint32_t a, uint32_t* b, uint32_t n, uint32_t w, uint32_t s) {
  RectRead(a, b, n, w, s, Hal.dispatch.burstReadRectMemory32);
}
void qvBurstWriteMemory8(uint32_t a, const uint8_t* b, uint32_t n) {
  BlockWrite(a, b, n, Hal.dispatch.burstWriteMemory8);
}
void qvBurstWriteMemory16(uint32_t a, const uint16_t* b, uint32_t n) {
  BlockWrite(a, b, n, Hal.dispatch.burstWriteMemory16);
}
void qvBurstWriteMemory32(uint32_t a, const uint32_t* b, uint32_t n) {
  BlockWrite(a, b, n, Hal.dispatch.burstWriteMemory32);
}
void qvBurstWriteRectMemory8(uint32_t a, const uint8_t* b, uint32_t n, uint32_t w, uint32_t s) {
  RectWrite(a, b, n, w, s, Hal.dispatch.burstWriteRectMemory8);
}
void qvBurstWriteRectMemory16(uint32_t a, const uint16_t* b, uint32_t n, uint32_t w, uint32_t s) {
  RectWrite(a, b, n, w, s, Hal.dispatch.burstWriteRectMemory16);
}
void qvBurstWriteRectMemory32(uint32_t a, const uint32_t* b, uint32_t n, uint32_t w, uint32_t s) {
  RectWrite(a, b, n, w, s, Hal.dispatch.burstWriteRectMemory32);
}
