// The driver variants' operations, for variant A (flush reads) and variant B (none). Every
// operation holds the bridge lock around its port accesses, so that the index and data accesses
// of two processes never interleave.
#include "hal/variant_bus.h"

#include "hal/hal.h"
#include "hal/hal_state.h"
#include "hal/register_table.h"
#include "hal/variant_shared.h"
#include "platform/assert.h"
#include "platform/board_lock.h"
#include "platform/timing.h"
#include "transport/bus_window.h"

namespace {

uint16_t In16(uint32_t port) {
  return static_cast<uint16_t>(Hal.bus.window->read16(port));
}

void Out16(uint32_t port, uint32_t value) {
  Hal.bus.window->write16(port, value & 0xFFFF);
}

// Polls the status port until the bits clear. A bus that stays busy is a broken board: after
// kBusWaitMs the operation asserts instead of hanging.
void WaitStatusClear(uint16_t bits, const char* op, const char* what) {
  uint64_t start = MonotonicNanoseconds();
  while (In16(kBusStatusPort) & bits) {
    if (MonotonicNanoseconds() - start >= kBusWaitMs * 1000000ull) {
      HalAssert("%s() The bus status port still shows %s after %u ms.", op, what, kBusWaitMs);
      return;
    }
  }
}

// With the write-wait option: after a memory write, and after setting a read address.
void WaitForWrite(const char* op) {
  if (Hal.bus.waitForWrites) WaitStatusClear(kBusStatusBusy, op, "a memory write in progress");
}

// With the room-wait option: before a burst into the memory port.
void WaitForRoom(const char* op) {
  if (Hal.bus.waitForRoom) WaitStatusClear(kBusStatusFull, op, "the memory port full");
}

// The port accesses of one variant.
template <bool kFlush>
struct Ports {
  static void Flush() {
    if constexpr (kFlush) (void)In16(kBusStatusPort);
  }
  static void DataOut(uint32_t value) {
    Out16(kBusDataPort, value);
    Flush();
  }
  static void DataOut8(uint32_t value) {
    Hal.bus.window->write8(kBusDataPort, value & 0xFF);
    Flush();
  }
  static void DataOut32(uint32_t value) {
    if (Hal.bus.dataPort32) {
      Hal.bus.window->write32(kBusDataPort, value);
      Flush();
      return;
    }
    DataOut(value & 0xFFFF);
    DataOut(value >> 16);
  }
  // One unit of a word burst: a 32-bit unit goes as DataOut32 does.
  template <typename T>
  static void DataOutUnit(uint32_t value) {
    if constexpr (sizeof(T) == 4) {
      DataOut32(value);
    } else {
      DataOut(value);
    }
  }
  static uint32_t DataIn32() {
    if (Hal.bus.dataPort32) return Hal.bus.window->read32(kBusDataPort);
    uint32_t low = In16(kBusDataPort);
    return low | static_cast<uint32_t>(In16(kBusDataPort)) << 16;
  }
  static uint16_t Read16(uint32_t index) {
    Out16(kBusIndexPort, index | 1);
    Flush();
    return In16(kBusDataPort);
  }
  static void Write16(uint32_t index, uint32_t value) {
    Out16(kBusIndexPort, index);
    DataOut(value);
  }
  // Points the memory engine at an address and selects its port for the data that follows;
  // for a read the prefetch must have finished before the first data read.
  static void SetAddress(uint32_t address, bool read, bool rectangle, const char* op) {
    MemoryAddressWords words = MemoryAddress(address, read, rectangle);
    Write16(kMemSaddr1, words.high);
    Write16(kMemSaddr0, words.low);
    Out16(kBusIndexPort, read ? kMemPort | kReadBit : kMemPort);
    if (read) WaitForWrite(op);
  }
  // A byte goes into the word that holds it, read and written back.
  static void MergeByte(uint32_t address, uint32_t value, const char* op) {
    uint32_t even = address & ~1u;
    SetAddress(even, true, false, op);
    uint32_t word = WordWithByte(In16(kBusDataPort), address, value);
    SetAddress(even, false, false, op);
    DataOut(word);
  }
  // Bytes in memory order: an odd start is the high byte of one word, an odd end the low byte
  // of one more.
  static void ReadBytes(uint32_t address, uint8_t* buffer, uint32_t count, bool rectangle,
                        const char* op) {
    BridgeLockHold lock;
    SetAddress(address, true, rectangle, op);
    if (address & 1) {
      *buffer++ = static_cast<uint8_t>(In16(kBusDataPort) >> 8);
      count--;
    }
    for (; count >= 2; count -= 2, buffer += 2) {
      uint16_t word = In16(kBusDataPort);
      buffer[0] = static_cast<uint8_t>(word);
      buffer[1] = static_cast<uint8_t>(word >> 8);
    }
    if (count == 1) *buffer = static_cast<uint8_t>(In16(kBusDataPort));
  }
  template <typename T>
  static void ReadWords(uint32_t address, T* buffer, uint32_t count, bool rectangle,
                        const char* op) {
    BridgeLockHold lock;
    SetAddress(address, true, rectangle, op);
    for (uint32_t i = 0; i < count; i++) {
      buffer[i] = static_cast<T>(sizeof(T) == 4 ? DataIn32() : In16(kBusDataPort));
    }
  }
  template <typename T>
  static void WriteWords(uint32_t address, const T* buffer, uint32_t count, bool rectangle,
                         const char* op) {
    BridgeLockHold lock;
    SetAddress(address, false, rectangle, op);
    for (uint32_t i = 0; i < count; i++) DataOutUnit<T>(buffer[i]);
    WaitForWrite(op);
  }
  template <typename T>
  static void Fill(uint32_t address, uint32_t value, uint32_t count, const char* op) {
    BridgeLockHold lock;
    SetAddress(address, false, false, op);
    for (uint32_t i = 0; i < count; i++) DataOutUnit<T>(value);
    WaitForWrite(op);
  }
};

template <bool kFlush>
uint16_t ReadModifyWrite(uint32_t index, const char* op, uint16_t mask, uint16_t set) {
  CheckEven(index, op);
  BridgeLockHold lock;
  uint16_t value = static_cast<uint16_t>((Ports<kFlush>::Read16(index) & ~mask) | set);
  Ports<kFlush>::Write16(index, value);
  return value;
}

}  // namespace

// ---- acquire and initialise ----

template <bool F>
bool BusVariant<F>::Acquire() {
  return MapBusWindow();
}

template <bool F>
uint32_t BusVariant<F>::Initialise() {
  return InitialiseFromTable();
}

// ---- registers ----

template <bool F>
uint32_t BusVariant<F>::ReadReg8(uint32_t index) {
  BridgeLockHold lock;
  uint16_t word = Ports<F>::Read16(index);
  return index & 1 ? word >> 8 : word & 0xFF;
}

template <bool F>
uint32_t BusVariant<F>::ReadReg16(uint32_t index) {
  CheckEven(index, "qvReadReg16");
  BridgeLockHold lock;
  return Ports<F>::Read16(index);
}

template <bool F>
uint32_t BusVariant<F>::ReadReg32(uint32_t index) {
  CheckLongIndex(index, "qvReadReg32");
  BridgeLockHold lock;
  uint32_t low = Ports<F>::Read16(index);
  return low | static_cast<uint32_t>(Ports<F>::Read16(index + 2)) << 16;
}

template <bool F>
void BusVariant<F>::WriteReg8(uint32_t index, uint32_t value) {
  BridgeLockHold lock;
  Out16(kBusIndexPort, index | 1);
  uint32_t word = WordWithByte(In16(kBusDataPort), index, value);
  Out16(kBusIndexPort, index & 0xFFFE);
  Ports<F>::DataOut(word);
}

template <bool F>
void BusVariant<F>::WriteReg16(uint32_t index, uint32_t value) {
  CheckEven(index, "qvWriteReg16");
  BridgeLockHold lock;
  Ports<F>::Write16(index, value);
}

template <bool F>
void BusVariant<F>::WriteReg32(uint32_t index, uint32_t value) {
  CheckLongIndex(index, "qvWriteReg32");
  BridgeLockHold lock;
  Ports<F>::Write16(index, value & 0xFFFF);
  Ports<F>::Write16(index + 2, value >> 16);
}

template <bool F>
uint16_t BusVariant<F>::ModifyReg16(uint32_t index, uint16_t mask, uint16_t value) {
  return ReadModifyWrite<F>(index, "qvModifyReg16", mask, value);
}

template <bool F>
uint16_t BusVariant<F>::ClearBitsReg16(uint32_t index, uint16_t bits) {
  return ReadModifyWrite<F>(index, "qvClearBitsReg16", bits, 0);
}

template <bool F>
uint16_t BusVariant<F>::SetBitsReg16(uint32_t index, uint16_t bits) {
  return ReadModifyWrite<F>(index, "qvSetBitsReg16", 0, bits);
}

template <bool F>
void BusVariant<F>::BurstReadReg8(uint32_t index, uint8_t* buffer, uint32_t count) {
  CheckEven(index, "qvBurstReadReg8");
  BridgeLockHold lock;
  Out16(kBusIndexPort, index | 1);
  for (uint32_t i = 0; i < count; i++) {
    Ports<F>::Flush();
    buffer[i] = static_cast<uint8_t>(Hal.bus.window->read8(kBusDataPort));
  }
}

template <bool F>
void BusVariant<F>::BurstReadReg16(uint32_t index, uint16_t* buffer, uint32_t count) {
  CheckEven(index, "qvBurstReadReg16");
  BridgeLockHold lock;
  Out16(kBusIndexPort, index | 1);
  for (uint32_t i = 0; i < count; i++) {
    Ports<F>::Flush();
    buffer[i] = In16(kBusDataPort);
  }
}

template <bool F>
void BusVariant<F>::BurstWriteReg8(uint32_t index, const uint8_t* buffer, uint32_t count) {
  CheckEven(index, "qvBurstWriteReg8");
  BridgeLockHold lock;
  Out16(kBusIndexPort, index);
  for (uint32_t i = 0; i < count; i++) Ports<F>::DataOut8(buffer[i]);
}

template <bool F>
void BusVariant<F>::BurstWriteReg16(uint32_t index, const uint16_t* buffer, uint32_t count) {
  CheckEven(index, "qvBurstWriteReg16");
  BridgeLockHold lock;
  if (index == kMemPort) WaitForRoom("qvBurstWriteReg16");
  Out16(kBusIndexPort, index);
  for (uint32_t i = 0; i < count; i++) Ports<F>::DataOut(buffer[i]);
}

// A wait without sleeps keeps the lock for the whole poll.
template <bool F>
int BusVariant<F>::WaitRegBitsClear16(uint32_t index, uint16_t mask, uint32_t stepMs,
                                      uint32_t timeoutMs) {
  if (stepMs > 0) return WaitRegBits(ReadReg16, index, mask, stepMs, timeoutMs, false);
  BridgeLockHold lock;
  return WaitRegBits(ReadReg16, index, mask, 0, timeoutMs, false);
}

template <bool F>
int BusVariant<F>::WaitRegBitsSet16(uint32_t index, uint16_t mask, uint32_t stepMs,
                                    uint32_t timeoutMs) {
  if (stepMs > 0) return WaitRegBits(ReadReg16, index, mask, stepMs, timeoutMs, true);
  BridgeLockHold lock;
  return WaitRegBits(ReadReg16, index, mask, 0, timeoutMs, true);
}

// ---- memory ----

template <bool F>
uint32_t BusVariant<F>::ReadMemory8(uint32_t address) {
  BridgeLockHold lock;
  Ports<F>::SetAddress(address, true, false, "qvReadMemory8");
  uint16_t word = In16(kBusDataPort);
  return address & 1 ? word >> 8 : word & 0xFF;
}

template <bool F>
uint32_t BusVariant<F>::ReadMemory16(uint32_t address) {
  BridgeLockHold lock;
  Ports<F>::SetAddress(address, true, false, "qvReadMemory16");
  return In16(kBusDataPort);
}

template <bool F>
uint32_t BusVariant<F>::ReadMemory32(uint32_t address) {
  BridgeLockHold lock;
  Ports<F>::SetAddress(address, true, false, "qvReadMemory32");
  return Ports<F>::DataIn32();
}

template <bool F>
void BusVariant<F>::WriteMemory8(uint32_t address, uint32_t value) {
  BridgeLockHold lock;
  Ports<F>::MergeByte(address, value, "qvWriteMemory8");
  WaitForWrite("qvWriteMemory8");
}

template <bool F>
void BusVariant<F>::WriteMemory16(uint32_t address, uint32_t value) {
  BridgeLockHold lock;
  Ports<F>::SetAddress(address, false, false, "qvWriteMemory16");
  Ports<F>::DataOut(value);
  WaitForWrite("qvWriteMemory16");
}

template <bool F>
void BusVariant<F>::WriteMemory32(uint32_t address, uint32_t value) {
  BridgeLockHold lock;
  Ports<F>::SetAddress(address, false, false, "qvWriteMemory32");
  Ports<F>::DataOut32(value);
  WaitForWrite("qvWriteMemory32");
}

// Any start and count: an odd first or last byte is merged into its word, the words between
// take the byte in both halves.
template <bool F>
void BusVariant<F>::FillMemory8(uint32_t address, uint32_t value, uint32_t count) {
  if (count == 0) return;
  constexpr const char* op = "qvFillMemory8";
  BridgeLockHold lock;
  uint32_t at = address;
  uint32_t left = count;
  if (at & 1) {
    Ports<F>::MergeByte(at++, value, op);
    left--;
  }
  if (left >= 2) {
    Ports<F>::SetAddress(at, false, false, op);
    for (uint32_t i = 0; i < left / 2; i++) Ports<F>::DataOut((value & 0xFF) * 0x0101);
  }
  if (left & 1) Ports<F>::MergeByte(at + (left & ~1u), value, op);
  WaitForWrite(op);
}

template <bool F>
void BusVariant<F>::FillMemory16(uint32_t address, uint32_t value, uint32_t count) {
  Ports<F>::template Fill<uint16_t>(address, value, count, "qvFillMemory16");
}

template <bool F>
void BusVariant<F>::FillMemory32(uint32_t address, uint32_t value, uint32_t count) {
  Ports<F>::template Fill<uint32_t>(address, value, count, "qvFillMemory32");
}

template <bool F>
void BusVariant<F>::BurstReadMemory8(uint32_t address, uint8_t* buffer, uint32_t count) {
  Ports<F>::ReadBytes(address, buffer, count, false, "qvBurstReadMemory8");
}

template <bool F>
void BusVariant<F>::BurstReadRectMemory8(uint32_t address, uint8_t* buffer, uint32_t count,
                                         uint32_t width, uint32_t stride) {
  SetReadRectangle(width, stride);
  Ports<F>::ReadBytes(address, buffer, count, true, "qvBurstReadRectMemory8");
}

template <bool F>
void BusVariant<F>::BurstReadMemory16(uint32_t address, uint16_t* buffer, uint32_t count) {
  Ports<F>::ReadWords(address, buffer, count, false, "qvBurstReadMemory16");
}

template <bool F>
void BusVariant<F>::BurstReadRectMemory16(uint32_t address, uint16_t* buffer, uint32_t count,
                                          uint32_t width, uint32_t stride) {
  SetReadRectangle(width, stride);
  Ports<F>::ReadWords(address, buffer, count, true, "qvBurstReadRectMemory16");
}

template <bool F>
void BusVariant<F>::BurstReadMemory32(uint32_t address, uint32_t* buffer, uint32_t count) {
  Ports<F>::ReadWords(address, buffer, count, false, "qvBurstReadMemory32");
}

template <bool F>
void BusVariant<F>::BurstReadRectMemory32(uint32_t address, uint32_t* buffer, uint32_t count,
                                          uint32_t width, uint32_t stride) {
  SetReadRectangle(width, stride);
  Ports<F>::ReadWords(address, buffer, count, true, "qvBurstReadRectMemory32");
}

// Bytes in memory order, as the bridge writes them: an odd first or last byte is merged into its
// word, the pairs between go as words.
template <bool F>
void BusVariant<F>::BurstWriteMemory8(uint32_t address, const uint8_t* buffer, uint32_t count) {
  constexpr const char* op = "qvBurstWriteMemory8";
  BridgeLockHold lock;
  if (address & 1) {
    Ports<F>::MergeByte(address++, *buffer++, op);
    count--;
  }
  uint32_t even = count & ~1u;
  if (even > 0) {
    Ports<F>::SetAddress(address, false, false, op);
    for (uint32_t i = 0; i < even; i += 2) Ports<F>::DataOut(buffer[i] | buffer[i + 1] << 8);
  }
  if (count & 1) Ports<F>::MergeByte(address + even, buffer[even], op);
  WaitForWrite(op);
}

// The rectangle's bytes go as they are, in memory order.
template <bool F>
void BusVariant<F>::BurstWriteRectMemory8(uint32_t address, const uint8_t* buffer, uint32_t count,
                                          uint32_t width, uint32_t stride) {
  constexpr const char* op = "qvBurstWriteRectMemory8";
  if (count & 1) HalAssert("qvBurstWriteRectMemory8() Count must be even.");
  SetWriteRectangle(width, stride);
  BridgeLockHold lock;
  Ports<F>::SetAddress(address, false, true, op);
  uint32_t i = 0;
  for (; i + 1 < count; i += 2) Ports<F>::DataOut(buffer[i] | buffer[i + 1] << 8);
  if (i < count) Ports<F>::DataOut8(buffer[i]);
  WaitForWrite(op);
}

template <bool F>
void BusVariant<F>::BurstWriteMemory16(uint32_t address, const uint16_t* buffer, uint32_t count) {
  Ports<F>::WriteWords(address, buffer, count, false, "qvBurstWriteMemory16");
}

template <bool F>
void BusVariant<F>::BurstWriteRectMemory16(uint32_t address, const uint16_t* buffer, uint32_t count,
                                           uint32_t width, uint32_t stride) {
  SetWriteRectangle(width, stride);
  Ports<F>::WriteWords(address, buffer, count, true, "qvBurstWriteRectMemory16");
}

template <bool F>
void BusVariant<F>::BurstWriteMemory32(uint32_t address, const uint32_t* buffer, uint32_t count) {
  Ports<F>::WriteWords(address, buffer, count, false, "qvBurstWriteMemory32");
}

template <bool F>
void BusVariant<F>::BurstWriteRectMemory32(uint32_t address, const uint32_t* buffer, uint32_t count,
                                           uint32_t width, uint32_t stride) {
  SetWriteRectangle(width, stride);
  Ports<F>::WriteWords(address, buffer, count, true, "qvBurstWriteRectMemory32");
}

// ---- the spare port ----

template <bool F>
uint16_t BusVariant<F>::ReadSparePort() {
  BridgeLockHold lock;
  return In16(kBusSparePort);
}

template <bool F>
void BusVariant<F>::WriteSparePort(uint16_t value) {
  BridgeLockHold lock;
  Out16(kBusSparePort, value);
}

template struct BusVariant<true>;
template struct BusVariant<false>;

namespace {

// The 40 entries of a variant's table, in the HAL's slot order.
template <bool kFlushReads>
constexpr HalDispatch BusVariantTable() {
  using V = BusVariant<kFlushReads>;
  return {
      V::Acquire,
      V::Initialise,
      V::ReadReg8,
      V::ReadReg16,
      V::ReadReg32,
      V::WriteReg8,
      V::WriteReg16,
      V::WriteReg32,
      V::ModifyReg16,
      V::ClearBitsReg16,
      V::SetBitsReg16,
      V::BurstReadReg8,
      V::BurstReadReg16,
      V::BurstWriteReg8,
      V::BurstWriteReg16,
      V::WaitRegBitsClear16,
      V::WaitRegBitsSet16,
      V::ReadMemory8,
      V::ReadMemory16,
      V::ReadMemory32,
      V::WriteMemory8,
      V::WriteMemory16,
      V::WriteMemory32,
      V::FillMemory8,
      V::FillMemory16,
      V::FillMemory32,
      V::BurstReadMemory8,
      V::BurstReadRectMemory8,
      V::BurstReadMemory16,
      V::BurstReadRectMemory16,
      V::BurstReadMemory32,
      V::BurstReadRectMemory32,
      V::BurstWriteMemory8,
      V::BurstWriteRectMemory8,
      V::BurstWriteMemory16,
      V::BurstWriteRectMemory16,
      V::BurstWriteMemory32,
      V::BurstWriteRectMemory32,
      V::ReadSparePort,
      V::WriteSparePort,
  };
}

}  // namespace

// Variant A (HCL information flag 0800h set) makes the flush reads, variant B does not.
const HalDispatch BusVariantA = BusVariantTable<true>();
const HalDispatch BusVariantB = BusVariantTable<false>();
