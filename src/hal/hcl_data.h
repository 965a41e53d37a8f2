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
constexpr uint32_t qvfNO_RESET = 0x00000001;           // never issue the software reset in INIT
constexpr uint32_t qvfFIXED_MAIN1STRIDE = 0x00000002;  // the window strides are not derived
constexpr uint32_t qvfFIXED_MAIN2STRIDE = 0x00000004;  // from their widths
constexpr uint32_t qvfFIXED_PIP1STRIDE = 0x00000008;
constexpr uint32_t qvfFIXED_PIP2STRIDE = 0x00000010;
constexpr uint32_t qvfPLL_LOWPOWER = 0x00000020;      // kept in the record; nothing reads it
constexpr uint32_t qvfDEBUG_REG_WRITES = 0x00000100;  // start with the write trace on
constexpr uint32_t qvfADAPTER_USB = 0x00000400;       // USB bridge; clear: the mapped bus
constexpr uint32_t qvfFAST_CYCLE = 0x00000800;        // mapped bus: variant A; clear: B
constexpr uint32_t qvfDONT_CHECK_MEM_STAT = 0x00001000;
constexpr uint32_t qvfDONT_CHECK_HWC_STAT = 0x00002000;
constexpr uint32_t qvfBURST_MEMPORT = 0x00004000;

// Special indices of the register table: FFFFh ends it, FFFCh to FFFEh wait their value in
// microseconds (the PLL programming delay, the panel power off and on delays), the other
// indices from FFF0h are passed over.
constexpr uint16_t kRegTableEnd = 0xFFFF;
constexpr uint16_t kRegTablePllDelay = 0xFFFC;
constexpr uint16_t kRegTablePowerOffDelay = 0xFFFD;
constexpr uint16_t kRegTablePowerOnDelay = 0xFFFE;
constexpr uint16_t kRegTableSkipFirst = 0xFFF0;

// Panel-interface sequence entries: the kind in the top four bits, the data below; an entry of 0
// ends the sequence. The kinds written id, ap and as have no sending rule.
constexpr uint32_t kSeqKindMask = 0xF0000000;
constexpr uint32_t kSeqDataMask = 0x0FFFFFFF;
constexpr uint32_t kSeqCommand = 0x10000000;
constexpr uint32_t kSeqParameter = 0x20000000;
constexpr uint32_t kSeqDelayMs = 0x40000000;
constexpr uint32_t kSeqKindId = 0x50000000;
constexpr uint32_t kSeqKindAp = 0x60000000;
constexpr uint32_t kSeqKindAs = 0x70000000;

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

// The compiled-in record. The HAL reads the record handed to it (this one unless start-up or a
// test hands it another, see halSetRecord); nothing writes either.
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
