// The USB bridge variant: every register and memory access as single and block transfers of the
// bridge protocol. A register write goes to bridge address R + index, a read to R + index + 1.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>

#include "hal/board_route.h"
#include "hal/hal.h"
#include "hal/hal_state.h"
#include "hal/hcl_data.h"
#include "hal/register_table.h"
#include "hal/variant_shared.h"
#include "platform/assert.h"
#include "transport/usb_transport.h"

namespace {

uint32_t WriteAddress(uint32_t index) {
  return Hal.bridgeRegBase + index;
}
uint32_t ReadAddress(uint32_t index) {
  return Hal.bridgeRegBase + index + kReadBit;
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
  MemoryAddressWords words = MemoryAddress(address, read, rectangle);
  SingleWrite(kMemSaddr1, 2, words.high, op);
  SingleWrite(kMemSaddr0, 2, words.low, op);
}

// ---- acquire and initialise ----

// An unplugged bridge ends the run: the controller is no longer acquired, and nothing that
// follows could reach it (no stream of failed transfers, no wait that succeeds on a read of 0).
void BridgeLost() {
  Hal.windowBase[0] = 0;
  Hal.dispatch = HalDispatch();
  std::exit(halBoardRoute().lostExitCode);
}

// No pipes means the board could not be chosen; the choice has said why. Otherwise the
// transport has said why the bridge could not be reached, and the last error says that it was
// not.
bool Acquire() {
  const BoardRoute& route = halBoardRoute();
  if (route.pipes == nullptr) return false;
  UsbTransport.announce = !route.quiet;
  UsbTransport.onLinkLost = BridgeLost;
  if (UsbTransportOpen(route.pipes, route.target.c_str(), 0, Hal.bridgeDevice,
                       halRecord().usbInfo)) {
    return true;
  }
  Hal.lastError = kHalNoController;
  return false;
}

// ---- registers ----

uint32_t ReadReg8(uint32_t index) {
  UsbHold lock;
  return SingleRead(index, 1, "qvReadReg8");
}

uint32_t ReadReg16(uint32_t index) {
  CheckEven(index, "qvReadReg16");
  UsbHold lock;
  return SingleRead(index, 2, "qvReadReg16");
}

uint32_t ReadReg32(uint32_t index) {
  CheckLongIndex(index, "qvReadReg32");
  UsbHold lock;
  return SingleRead(index, 4, "qvReadReg32");
}

void WriteReg8(uint32_t index, uint32_t value) {
  UsbHold lock;
  SingleWrite(index, 1, value, "qvWriteReg8");
}

void WriteReg16(uint32_t index, uint32_t value) {
  CheckEven(index, "qvWriteReg16");
  UsbHold lock;
  SingleWrite(index, 2, value, "qvWriteReg16");
}

void WriteReg32(uint32_t index, uint32_t value) {
  CheckLongIndex(index, "qvWriteReg32");
  UsbHold lock;
  SingleWrite(index, 4, value, "qvWriteReg32");
}

template <typename Change>
uint16_t ReadModifyWrite(uint32_t index, const char* op, Change change) {
  UsbHold lock;
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

// The bridge takes a transfer of at most this many bytes for a single access, which walks on to
// the next registers; a register burst that short goes as single transfers of its unit at the
// same index, one per cycle, so that it reaches only its register.
constexpr uint32_t kSingleTransferMax = 4;

template <typename T>
void BurstReadReg(uint32_t index, T* buffer, uint32_t count, const char* op) {
  CheckEven(index, op);
  constexpr uint32_t unit = sizeof(T);
  UsbHold lock;
  if (count * unit <= kSingleTransferMax) {
    for (uint32_t i = 0; i < count; i++) buffer[i] = static_cast<T>(SingleRead(index, unit, op));
    return;
  }
  if (BlockRead(index, buffer, count * unit) != count * unit) {
    HalAssert("%s() CSCL Error: Bytes number != Count.", op);
  }
}

template <typename T>
void BurstWriteReg(uint32_t index, const T* buffer, uint32_t count, const char* op) {
  CheckEven(index, op);
  constexpr uint32_t unit = sizeof(T);
  UsbHold lock;
  if (count * unit <= kSingleTransferMax) {
    for (uint32_t i = 0; i < count; i++) SingleWrite(index, unit, buffer[i], op);
    return;
  }
  BlockWrite(index, buffer, count * unit, op);
}

void BurstReadReg8(uint32_t index, uint8_t* buffer, uint32_t count) {
  BurstReadReg(index, buffer, count, "qvBurstReadReg8");
}

void BurstReadReg16(uint32_t index, uint16_t* buffer, uint32_t count) {
  BurstReadReg(index, buffer, count, "qvBurstReadReg16");
}

void BurstWriteReg8(uint32_t index, const uint8_t* buffer, uint32_t count) {
  BurstWriteReg(index, buffer, count, "qvBurstWriteReg8");
}

void BurstWriteReg16(uint32_t index, const uint16_t* buffer, uint32_t count) {
  BurstWriteReg(index, buffer, count, "qvBurstWriteReg16");
}

int WaitRegBitsClear16(uint32_t index, uint16_t mask, uint32_t stepMs, uint32_t timeoutMs) {
  return WaitRegBits(ReadReg16, index, mask, stepMs, timeoutMs, false);
}

int WaitRegBitsSet16(uint32_t index, uint16_t mask, uint32_t stepMs, uint32_t timeoutMs) {
  return WaitRegBits(ReadReg16, index, mask, stepMs, timeoutMs, true);
}

// ---- memory ----

uint32_t ReadMemory(uint32_t address, uint32_t size, const char* op) {
  UsbHold lock;
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
  UsbHold lock;
  uint32_t even = address & ~1u;
  SetMemoryAddress(even, true, false, "qvWriteMemory8");
  uint32_t word = WordWithByte(SingleRead(kMemPort, 2, "qvWriteMemory8"), address, value);
  SetMemoryAddress(even, false, false, "qvWriteMemory8");
  SingleWrite(kMemPort, 2, word, "qvWriteMemory8");
}

void WriteMemory(uint32_t address, uint32_t size, uint32_t value, const char* op) {
  UsbHold lock;
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
  UsbHold lock;
  SetMemoryAddress(address, false, rectangle, op);
  BlockWrite(kMemPort, buffer, count * static_cast<uint32_t>(sizeof(T)), op);
}

template <typename T>
void ReadBlock(uint32_t address, T* buffer, uint32_t count, bool rectangle, const char* op) {
  UsbHold lock;
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
  UsbHold lock;
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
  UsbHold lock;
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
    InitialiseFromTable,
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
