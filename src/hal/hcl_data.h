// The configuration record compiled into the program: board address, bus, USB bytes, panel
// sequence and the register initialisation table, protected by a CRC.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr size_t kHclRecordSize = 7294;
constexpr size_t kHclCrcStart = 788;  // the CRC covers the record from here to its end
constexpr size_t kPanelSequenceEntries = 1024;
constexpr size_t kRegisterTableEntries = 593;

// HCL information flags.
constexpr uint32_t kHclNoSoftReset = 0x0001;
constexpr uint32_t kHclTraceOn = 0x0100;
constexpr uint32_t kHclUsbBridge = 0x0400;
constexpr uint32_t kHclVariantA = 0x0800;
constexpr uint32_t kHclNoWriteWait = 0x1000;  // driver variants: no busy poll after memory writes
constexpr uint32_t kHclNoRoomWait = 0x2000;   // no port-full poll before memory port bursts
constexpr uint32_t kHclDataPort32 = 0x4000;   // 32-bit memory data in one data port access

// Register table marks.
constexpr uint16_t kRegTableEnd = 0xFFFF;

#pragma pack(push, 1)
struct HclRegPair {
  uint16_t index;
  uint16_t value;
};

// Packed and little-endian, exactly as the record is laid out in the program image.
struct QvHclData {
  char halId[16];         // "77Q41 HAL EXE"
  char description[256];  // configuration description
  char lcdStrings[512];   // parallel LCD strings pool
  uint16_t recordSize;    // 7294
  uint16_t crc;           // CRC-16/CCITT-FALSE of the bytes from kHclCrcStart on
  char chipId[8];         // "77Q41"
  uint16_t endianDetect;  // 1234h
  uint16_t alignment;
  uint32_t clki;       // CLKI frequency in Hz
  uint32_t physBase;   // physical base memory address of the board
  uint32_t regOffset;  // physical register address offset
  uint32_t memOffset;  // physical memory address offset
  uint32_t hclFlags;   // HCL information flags
  uint8_t usbInfo[6];  // configuration of the bridge's MGE interface
  uint32_t panelSequence[kPanelSequenceEntries];
  HclRegPair regTable[kRegisterTableEntries];
};
#pragma pack(pop)

static_assert(sizeof(QvHclData) == kHclRecordSize);
static_assert(offsetof(QvHclData, crc) == 786);
static_assert(offsetof(QvHclData, chipId) == kHclCrcStart);
static_assert(offsetof(QvHclData, hclFlags) == 816);
static_assert(offsetof(QvHclData, usbInfo) == 820);
static_assert(offsetof(QvHclData, panelSequence) == 826);
static_assert(offsetof(QvHclData, regTable) == 4922);

// The compiled-in record; the HAL only ever reads it.
extern const QvHclData qvHclData;

// CRC-16/CCITT-FALSE: polynomial 1021h, initial FFFFh, no reflection, no final XOR. A byte at a
// time through a table, since start-up checks the record for the banner.
struct Crc16Table {
  uint16_t entry[256];
  constexpr Crc16Table() : entry() {
    for (int byte = 0; byte < 256; byte++) {
      uint16_t crc = static_cast<uint16_t>(byte << 8);
      for (int bit = 0; bit < 8; bit++) {
        crc = static_cast<uint16_t>(crc & 0x8000 ? (crc << 1) ^ 0x1021 : crc << 1);
      }
      entry[byte] = crc;
    }
  }
};
inline constexpr Crc16Table kCrc16Table;

constexpr uint16_t Crc16CcittFalse(const uint8_t* data, size_t length) {
  uint16_t crc = 0xFFFF;
  for (size_t i = 0; i < length; i++) {
    crc = static_cast<uint16_t>(crc << 8 ^ kCrc16Table.entry[(crc >> 8 ^ data[i]) & 0xFF]);
  }
  return crc;
}

// The CRC over a record's covered bytes, as it should be stored.
uint16_t ComputeHclCrc(const QvHclData& record);
