// The USB bridge variant: every register and memory access as single and block transfers of the
// bridge protocol. A register write goes to bridge address R + index, a read to R + index + 1.
#include <cstdio>
#include <memory>
#include <new>

#include "hal/board_route.h"
#include "hal/hal.h"
#include "hal/hal_state.h"
#include "hal/hcl_data.h"
#include "hal/register_table.h"
#include "platform/assert.h"
#include "platform/board_lock.h"
#include "platform/timing.h"
#include "transport/usb_transport.h"

namespace {

// Registers of the memory access path.
constexpr uint32_t kMemSaddr0 = 0x0182;      // MEM_SADDR_0: address bits 15-1, bit 0 read flag
constexpr uint32_t kMemSaddr1 = 0x0184;      // MEM_SADDR_1: address bits 31-16 (31: rectangle)
constexpr uint32_t kMemPort = 0x018C;        // MEM_ACCESS_PORT
constexpr uint32_t kMemRectOffset = 0x0194;  // MEM_WR_ADDR_OFF: stride * 2 - 2
constexpr uint32_t kMemRectWidth = 0x0196;   // MEM_WR_ADDR_W: width * 2 - 2
constexpr uint32_t kReadBit = 1;
constexpr uint32_t kRectangleFlag = 0x80000000u;

uint32_t WriteAddress(uint32_t index) {
  return Hal.bridgeRegBase + index;
}
uint32_t ReadAddress(uint32_t index) {
  return Hal.bridgeRegBase + index + kReadBit;
}

void CheckEven(uint32_t index, const char* op) {
  if (index & 1) HalAssert("%s() Index must be even.", op);
}

void CheckLongIndex(uint32_t index, const char* op) {
  CheckEven(index, op);
  if ((index & 0xFF) > 0xFC) HalAssert("%s() Index must not cross high-byte boundary.", op);
}

uint32_t SingleRead(uint32_t index, uint32_t size, const char* op) {
  uint32_t value = 0;
  if (!UsbSingleRead(ReadAddress(index), size, Hal.bridgeDevice, &value)) {
    HalAssert("%s() CSCL Error", op);
  }
  return value;
}

void SingleWrite(uint32_t index, uint32_t size, uint32_t value, const char* op) {
  if (!UsbSingleWrite(WriteAddress(index), size, Hal.bridgeDevice, value)) {
    HalAssert("%s() CSCL Error", op);
  }
}

void BlockWrite(uint32_t index, const void* data, uint32_t bytes, const char* op) {
  if (!UsbBlockWrite(WriteAddress(index), bytes, Hal.bridgeDevice, data)) {
    HalAssert("%s() CSCL Error", op);
  }
}

uint32_t BlockRead(uint32_t index, void* data, uint32_t bytes) {
  return UsbBlockRead(ReadAddress(index), bytes, Hal.bridgeDevice, data);
}

// Points the memory access engine at an address with two register writes that bypass the
// public layer (never traced or logged); the caller holds the lock.
void SetMemoryAddress(uint32_t address, bool read, bool rectangle, const char* op) {
  uint32_t flags = (read ? kReadBit : 0) | (rectangle ? kRectangleFlag : 0);
  SingleWrite(kMemSaddr1, 2, ((address & ~1u) | flags) >> 16, op);
  SingleWrite(kMemSaddr0, 2, (address & 0xFFFE) | (read ? kReadBit : 0), op);
}

// The rectangle geometry goes through the public layer, before the lock is taken. Reads set
// the width first, writes the line offset first.
void SetReadRectangle(uint32_t width, uint32_t stride) {
  qvWriteReg16(kMemRectWidth, width * 2 - 2);
  qvWriteReg16(kMemRectOffset, stride * 2 - 2);
}

void SetWriteRectangle(uint32_t width, uint32_t stride) {
  qvWriteReg16(kMemRectOffset, stride * 2 - 2);
  qvWriteReg16(kMemRectWidth, width * 2 - 2);
}

// ---- acquire and initialise ----

// No pipes means the board could not be chosen; the choice has said why.
bool Acquire() {
  const BoardRoute& route = halBoardRoute();
  if (route.pipes == nullptr) return false;
  UsbTransport.announce = !route.quiet;
  return UsbTransportOpen(route.pipes, route.target.c_str(), 0, Hal.bridgeDevice,
                          halRecord().usbInfo);
}

uint32_t InitialiseRegisters() {
  if (Hal.windowBase[0] == 0) {
    HalAssert("qvInitializeController() called but controller not acquired.");
    return 0;
  }
  WriteRegisterTable(halRecord());
  return 1;
}

// ---- registers ----

uint32_t ReadReg8(uint32_t index) {
  BridgeLockHold lock;
  return SingleRead(index, 1, "qvReadReg8");
}

uint32_t ReadReg16(uint32_t index) {
  CheckEven(index, "qvReadReg16");
  BridgeLockHold lock;
  return SingleRead(index, 2, "qvReadReg16");
}

uint32_t ReadReg32(uint32_t index) {
  CheckLongIndex(index, "qvReadReg32");
  BridgeLockHold lock;
  return SingleRead(index, 4, "qvReadReg32");
}

void WriteReg8(uint32_t index, uint32_t value) {
  BridgeLockHold lock;
  SingleWrite(index, 1, value, "qvWriteReg8");
}

void WriteReg16(uint32_t index, uint32_t value) {
  CheckEven(index, "qvWriteReg16");
  BridgeLockHold lock;
  SingleWrite(index, 2, value, "qvWriteReg16");
}

void WriteReg32(uint32_t index, uint32_t value) {
  CheckLongIndex(index, "qvWriteReg32");
  BridgeLockHold lock;
  SingleWrite(index, 4, value, "qvWriteReg32");
}

template <typename Change>
uint16_t ReadModifyWrite(uint32_t index, const char* op, Change change) {
  BridgeLockHold lock;
  uint16_t value = change(static_cast<uint16_t>(SingleRead(index, 2, op)));
  SingleWrite(index, 2, value, op);
  return value;
}

uint16_t ModifyReg16(uint32_t index, uint16_t mask, uint16_t value) {
  return ReadModifyWrite(index, "qvModifyReg16", [=](uint16_t old) {
    return static_cast<uint16_t>((old & ~mask) | value);
  });
}

uint16_t ClearBitsReg16(uint32_t index, uint16_t bits) {
  return ReadModifyWrite(index, "qvClearBitsReg16",
                         [=](uint16_t old) { return static_cast<uint16_t>(old & ~bits); });
}

uint16_t SetBitsReg16(uint32_t index, uint16_t bits) {
  return ReadModifyWrite(index, "qvSetBitsReg16",
                         [=](uint16_t old) { return static_cast<uint16_t>(old | bits); });
}

void BurstReadReg8(uint32_t index, uint8_t* buffer, uint32_t count) {
  CheckEven(index, "qvBurstReadReg8");
  BridgeLockHold lock;
  if (BlockRead(index, buffer, count) != count) {
    HalAssert("qvBurstReadReg8() CSCL Error: Bytes number != Count.");
  }
}

void BurstReadReg16(uint32_t index, uint16_t* buffer, uint32_t count) {
  CheckEven(index, "qvBurstReadReg16");
  BridgeLockHold lock;
  if (BlockRead(index, buffer, count * 2) != count * 2) {
    HalAssert("qvBurstReadReg16() CSCL Error: Bytes number != Count.");
  }
}

void BurstWriteReg8(uint32_t index, const uint8_t* buffer, uint32_t count) {
  CheckEven(index, "qvBurstWriteReg8");
  BridgeLockHold lock;
  BlockWrite(index, buffer, count, "qvBurstWriteReg8");
}

void BurstWriteReg16(uint32_t index, const uint16_t* buffer, uint32_t count) {
  CheckEven(index, "qvBurstWriteReg16");
  BridgeLockHold lock;
  BlockWrite(index, buffer, count * 2, "qvBurstWriteReg16");
}

// Polls until the masked register matches; a step of 0 polls without sleeping and takes the
// elapsed time from the millisecond clock so that the timeout still ends the wait.
int WaitRegBits(uint32_t index, uint16_t mask, uint32_t stepMs, uint32_t timeoutMs, bool set) {
  uint32_t start = MillisecondClock();
  uint32_t elapsed = 0;
  for (;;) {
    bool isSet = (ReadReg16(index) & mask) != 0;
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

int WaitRegBitsClear16(uint32_t index, uint16_t mask, uint32_t stepMs, uint32_t timeoutMs) {
  return WaitRegBits(index, mask, stepMs, timeoutMs, false);
}

int WaitRegBitsSet16(uint32_t index, uint16_t mask, uint32_t stepMs, uint32_t timeoutMs) {
  return WaitRegBits(index, mask, stepMs, timeoutMs, true);
}

// ---- memory ----

uint32_t ReadMemory(uint32_t address, uint32_t size, const char* op) {
  BridgeLockHold lock;
  SetMemoryAddress(address, true, false, op);
  return SingleRead(kMemPort, size, op);
}

uint32_t ReadMemory8(uint32_t address) {
  uint32_t word = ReadMemory(address, 2, "qvReadMemory8");
  return address & 1 ? word >> 8 : word & 0xFF;
}
uint32_t ReadMemory16(uint32_t address) {
  return ReadMemory(address, 2, "qvReadMemory16");
}
uint32_t ReadMemory32(uint32_t address) {
  return ReadMemory(address, 4, "qvReadMemory32");
}

// The port moves whole words, so a byte is merged into the word that holds it, read and
// written back under one hold of the lock.
void WriteMemory8(uint32_t address, uint32_t value) {
  BridgeLockHold lock;
  uint32_t even = address & ~1u;
  SetMemoryAddress(even, true, false, "qvWriteMemory8");
  uint32_t word = SingleRead(kMemPort, 2, "qvWriteMemory8");
  word = address & 1 ? (word & 0x00FF) | (value << 8) : (word & 0xFF00) | value;
  SetMemoryAddress(even, false, false, "qvWriteMemory8");
  SingleWrite(kMemPort, 2, word, "qvWriteMemory8");
}

void WriteMemory(uint32_t address, uint32_t size, uint32_t value, const char* op) {
  BridgeLockHold lock;
  SetMemoryAddress(address, false, false, op);
  SingleWrite(kMemPort, size, value, op);
}
void WriteMemory16(uint32_t address, uint32_t value) {
  WriteMemory(address, 2, value, "qvWriteMemory16");
}
void WriteMemory32(uint32_t address, uint32_t value) {
  WriteMemory(address, 4, value, "qvWriteMemory32");
}

template <typename T>
void WriteBlock(uint32_t address, const T* buffer, uint32_t count, bool rectangle, const char* op) {
  BridgeLockHold lock;
  SetMemoryAddress(address, false, rectangle, op);
  BlockWrite(kMemPort, buffer, count * static_cast<uint32_t>(sizeof(T)), op);
}

template <typename T>
void ReadBlock(uint32_t address, T* buffer, uint32_t count, bool rectangle, const char* op) {
  BridgeLockHold lock;
  SetMemoryAddress(address, true, rectangle, op);
  BlockRead(kMemPort, buffer, count * static_cast<uint32_t>(sizeof(T)));
}

template <typename T>
void FillMemory(uint32_t address, uint32_t value, uint32_t count, const char* op) {
  std::unique_ptr<T[]> pattern(new (std::nothrow) T[count]);
  if (!pattern) return;
  for (uint32_t i = 0; i < count; i++) pattern[i] = static_cast<T>(value);
  WriteBlock(address, pattern.get(), count, false, op);
}

void FillMemory16(uint32_t address, uint32_t value, uint32_t count) {
  FillMemory<uint16_t>(address, value, count, "qvFillMemory16");
}
void FillMemory32(uint32_t address, uint32_t value, uint32_t count) {
  FillMemory<uint32_t>(address, value, count, "qvFillMemory32");
}
void FillMemory8(uint32_t address, uint32_t value, uint32_t count) {
  if (count & 1) HalAssert("qvFillMemory8() Count must be even.");
  FillMemory16(address, (value & 0xFF) * 0x0101, count / 2);
}

// Bytes through the word port: an odd start takes the high byte of one word, the even middle
// is one block, and an odd last byte is the low byte of one more word.
void ReadBytes(uint32_t address, uint8_t* buffer, uint32_t count, bool rectangle, const char* op) {
  BridgeLockHold lock;
  SetMemoryAddress(address, true, rectangle, op);
  if (address & 1) {
    *buffer++ = static_cast<uint8_t>(SingleRead(kMemPort, 2, op) >> 8);
    count--;
  }
  uint32_t even = count & ~1u;
  if (even > 0) BlockRead(kMemPort, buffer, even);
  if (count & 1) buffer[even] = static_cast<uint8_t>(SingleRead(kMemPort, 2, op));
}

void BurstReadMemory8(uint32_t address, uint8_t* buffer, uint32_t count) {
  ReadBytes(address, buffer, count, false, "qvBurstReadMemory8");
}
void BurstReadRectMemory8(uint32_t address, uint8_t* buffer, uint32_t count, uint32_t width,
                          uint32_t stride) {
  SetReadRectangle(width, stride);
  ReadBytes(address, buffer, count, true, "qvBurstReadRectMemory8");
}
void BurstReadMemory16(uint32_t address, uint16_t* buffer, uint32_t count) {
  ReadBlock(address, buffer, count, false, "qvBurstReadMemory16");
}
void BurstReadRectMemory16(uint32_t address, uint16_t* buffer, uint32_t count, uint32_t width,
                           uint32_t stride) {
  SetReadRectangle(width, stride);
  ReadBlock(address, buffer, count, true, "qvBurstReadRectMemory16");
}
void BurstReadMemory32(uint32_t address, uint32_t* buffer, uint32_t count) {
  ReadBlock(address, buffer, count, false, "qvBurstReadMemory32");
}
void BurstReadRectMemory32(uint32_t address, uint32_t* buffer, uint32_t count, uint32_t width,
                           uint32_t stride) {
  SetReadRectangle(width, stride);
  ReadBlock(address, buffer, count, true, "qvBurstReadRectMemory32");
}

// Bytes go to the port in memory order (the first byte of each pair at the lower address, as
// every read gives them back). An odd first or last byte is merged into its word; the whole
// transfer runs under one hold of the lock.
void BurstWriteMemory8(uint32_t address, const uint8_t* buffer, uint32_t count) {
  const char* op = "qvBurstWriteMemory8";
  BridgeLockHold lock;
  if (address & 1) {
    WriteMemory8(address++, *buffer++);
    count--;
  }
  uint32_t even = count & ~1u;
  if (even > 0) {
    SetMemoryAddress(address, false, false, op);
    BlockWrite(kMemPort, buffer, even, op);
  }
  if (count & 1) WriteMemory8(address + even, buffer[even]);
}
void BurstWriteRectMemory8(uint32_t address, const uint8_t* buffer, uint32_t count, uint32_t width,
                           uint32_t stride) {
  if (count & 1) HalAssert("qvBurstWriteRectMemory8() Count must be even.");
  SetWriteRectangle(width, stride);
  WriteBlock(address, buffer, count, true, "qvBurstWriteRectMemory8");
}
void BurstWriteMemory16(uint32_t address, const uint16_t* buffer, uint32_t count) {
  WriteBlock(address, buffer, count, false, "qvBurstWriteMemory16");
}
void BurstWriteRectMemory16(uint32_t address, const uint16_t* buffer, uint32_t count,
                            uint32_t width, uint32_t stride) {
  SetWriteRectangle(width, stride);
  WriteBlock(address, buffer, count, true, "qvBurstWriteRectMemory16");
}
void BurstWriteMemory32(uint32_t address, const uint32_t* buffer, uint32_t count) {
  WriteBlock(address, buffer, count, false, "qvBurstWriteMemory32");
}
void BurstWriteRectMemory32(uint32_t address, const uint32_t* buffer, uint32_t count,
                            uint32_t width, uint32_t stride) {
  SetWriteRectangle(width, stride);
  WriteBlock(address, buffer, count, true, "qvBurstWriteRectMemory32");
}

// The bridge has no separate bus data port: it is the memory access port.
uint16_t ReadDataPort() {
  return static_cast<uint16_t>(ReadReg16(kMemPort));
}
void WriteDataPort(uint16_t value) {
  WriteReg16(kMemPort, value);
}

}  // namespace

const HalDispatch BridgeVariant = {
    Acquire,
    InitialiseRegisters,
    ReadReg8,
    ReadReg16,
    ReadReg32,
    WriteReg8,
    WriteReg16,
    WriteReg32,
    ModifyReg16,
    ClearBitsReg16,
    SetBitsReg16,
    BurstReadReg8,
    BurstReadReg16,
    BurstWriteReg8,
    BurstWriteReg16,
    WaitRegBitsClear16,
    WaitRegBitsSet16,
    ReadMemory8,
    ReadMemory16,
    ReadMemory32,
    WriteMemory8,
    WriteMemory16,
    WriteMemory32,
    FillMemory8,
    FillMemory16,
    FillMemory32,
    BurstReadMemory8,
    BurstReadRectMemory8,
    BurstReadMemory16,
    BurstReadRectMemory16,
    BurstReadMemory32,
    BurstReadRectMemory32,
    BurstWriteMemory8,
    BurstWriteRectMemory8,
    BurstWriteMemory16,
    BurstWriteRectMemory16,
    BurstWriteMemory32,
    BurstWriteRectMemory32,
    ReadDataPort,
    WriteDataPort,
};
