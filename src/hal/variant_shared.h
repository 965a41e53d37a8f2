// What every bus-interface variant shares: the index rules of its assertions, the controller's
// memory access path (its registers, the two address words, the rectangle geometry) and the
// register waits.
#pragma once

#include <cstdint>

// Assert "<op>() Index must be even." for an odd index; the long form also asserts "<op>() Index
// must not cross high-byte boundary." when (index AND FFh) > FCh.
void CheckEven(uint32_t index, const char* op);
void CheckLongIndex(uint32_t index, const char* op);

// Registers of the memory access path.
constexpr uint32_t kMemSaddr0 = 0x0182;      // MEM_SADDR_0: address bits 15-1, bit 0 read flag
constexpr uint32_t kMemSaddr1 = 0x0184;      // MEM_SADDR_1: address bits 31-16 (31: rectangle)
constexpr uint32_t kMemPort = 0x018C;        // MEM_ACCESS_PORT
constexpr uint32_t kMemRectOffset = 0x0194;  // MEM_WR_ADDR_OFF: stride * 2 - 2
constexpr uint32_t kMemRectWidth = 0x0196;   // MEM_WR_ADDR_W: width * 2 - 2
constexpr uint32_t kReadBit = 1;
constexpr uint32_t kRectangleFlag = 0x80000000u;

// The values of MEM_SADDR_1 (written first) and MEM_SADDR_0 for an access at address.
struct MemoryAddressWords {
  uint32_t high;
  uint32_t low;
};
MemoryAddressWords MemoryAddress(uint32_t address, bool read, bool rectangle);

// The port moves whole words: the word read back with the byte at address (its low half at an
// even address, its high half at an odd one) replaced by value.
uint32_t WordWithByte(uint32_t word, uint32_t address, uint32_t value);

// The rectangle geometry goes through the public layer, before the variant takes the lock.
// Reads set the width first, writes the line offset first.
void SetReadRectangle(uint32_t width, uint32_t stride);
void SetWriteRectangle(uint32_t width, uint32_t stride);

// Polls read16(index) until (value AND mask) is non-zero (set) or zero (clear): 1 then, 0 when
// the timeout has passed. The first read comes before any sleep; a step of 0 polls without
// sleeping and takes the elapsed time from the millisecond clock.
int WaitRegBits(uint32_t (*read16)(uint32_t), uint32_t index, uint16_t mask, uint32_t stepMs,
                uint32_t timeoutMs, bool set);
