// The driver variants A and B: every access through the index, status and data ports of the
// mapped window 0. They differ only in the flush read of the status port that variant A makes
// after selecting a register for a read and after every data write, so that the bus has passed
// the access on before the next one; B never makes it. Both tables of 40 entries are built from
// the one template at the end of variant_bus.cpp.
#pragma once

#include <cstdint>

template <bool kFlushReads>
struct BusVariant {
  static bool Acquire();
  static uint32_t Initialise();
  static uint32_t ReadReg8(uint32_t index);
  static uint32_t ReadReg16(uint32_t index);
  static uint32_t ReadReg32(uint32_t index);
  static void WriteReg8(uint32_t index, uint32_t value);
  static void WriteReg16(uint32_t index, uint32_t value);
  static void WriteReg32(uint32_t index, uint32_t value);
  static uint16_t ModifyReg16(uint32_t index, uint16_t mask, uint16_t value);
  static uint16_t ClearBitsReg16(uint32_t index, uint16_t bits);
  static uint16_t SetBitsReg16(uint32_t index, uint16_t bits);
  static void BurstReadReg8(uint32_t index, uint8_t* buffer, uint32_t count);
  static void BurstReadReg16(uint32_t index, uint16_t* buffer, uint32_t count);
  static void BurstWriteReg8(uint32_t index, const uint8_t* buffer, uint32_t count);
  static void BurstWriteReg16(uint32_t index, const uint16_t* buffer, uint32_t count);
  static int WaitRegBitsClear16(uint32_t index, uint16_t mask, uint32_t stepMs, uint32_t timeoutMs);
  static int WaitRegBitsSet16(uint32_t index, uint16_t mask, uint32_t stepMs, uint32_t timeoutMs);
  static uint32_t ReadMemory8(uint32_t address);
  static uint32_t ReadMemory16(uint32_t address);
  static uint32_t ReadMemory32(uint32_t address);
  static void WriteMemory8(uint32_t address, uint32_t value);
  static void WriteMemory16(uint32_t address, uint32_t value);
  static void WriteMemory32(uint32_t address, uint32_t value);
  static void FillMemory8(uint32_t address, uint32_t value, uint32_t count);
  static void FillMemory16(uint32_t address, uint32_t value, uint32_t count);
  static void FillMemory32(uint32_t address, uint32_t value, uint32_t count);
  static void BurstReadMemory8(uint32_t address, uint8_t* buffer, uint32_t count);
  static void BurstReadRectMemory8(uint32_t address, uint8_t* buffer, uint32_t count,
                                   uint32_t width, uint32_t stride);
  static void BurstReadMemory16(uint32_t address, uint16_t* buffer, uint32_t count);
  static void BurstReadRectMemory16(uint32_t address, uint16_t* buffer, uint32_t count,
                                    uint32_t width, uint32_t stride);
  static void BurstReadMemory32(uint32_t address, uint32_t* buffer, uint32_t count);
  static void BurstReadRectMemory32(uint32_t address, uint32_t* buffer, uint32_t count,
                                    uint32_t width, uint32_t stride);
  static void BurstWriteMemory8(uint32_t address, const uint8_t* buffer, uint32_t count);
  static void BurstWriteRectMemory8(uint32_t address, const uint8_t* buffer, uint32_t count,
                                    uint32_t width, uint32_t stride);
  static void BurstWriteMemory16(uint32_t address, const uint16_t* buffer, uint32_t count);
  static void BurstWriteRectMemory16(uint32_t address, const uint16_t* buffer, uint32_t count,
                                     uint32_t width, uint32_t stride);
  static void BurstWriteMemory32(uint32_t address, const uint32_t* buffer, uint32_t count);
  static void BurstWriteRectMemory32(uint32_t address, const uint32_t* buffer, uint32_t count,
                                     uint32_t width, uint32_t stride);
  static uint16_t ReadSparePort();
  static void WriteSparePort(uint16_t value);
};

extern template struct BusVariant<true>;
extern template struct BusVariant<false>;

// How long a poll of the status port waits for the bus before it gives up.
constexpr uint32_t kBusWaitMs = 100;
