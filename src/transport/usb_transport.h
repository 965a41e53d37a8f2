// The USB transport: single and block transfers at 24-bit bridge addresses, carried as CSCL
// packets over the bridge's pipes.
#pragma once

#include <cstdint>

#include "platform/board_lock.h"
#include "transport/cscl_packet.h"
#include "transport/pipe.h"

constexpr uint32_t kReplyWaitMs = 5;    // how long replies of the wrong type are skipped
constexpr uint32_t kDrainWaitMs = 10;   // how long a drain waits for one more stale transfer
constexpr uint32_t kDrainLimitMs = 50;  // and how long it may go on at most

struct UsbTransportState {
  const PipeOps* pipes = nullptr;  // null until opened
  uint8_t mgeTable[kMgeCount][kMgeEntrySize] = {{0x21, 0x40, 0x06, 0x31, 0xAA, 0xAA},
                                                {0x40, 0x55, 0x00, 0x50, 0xBB, 0xBB},
                                                {0x40, 0x55, 0x00, 0x50, 0xCC, 0xCC},
                                                {0x40, 0x55, 0x00, 0x50, 0xDD, 0xDD}};
  uint8_t mgeNumber = 0;
  uint8_t interfaceFlags = 0;  // the device selector of register and memory transfers
  uint32_t memoryBase = 0;
  uint32_t registerBase = 0;
  bool announce = true;  // open prints the MGE registers (a quiet session leaves them out)
  // A receive failed, came short or empty: a late reply may still arrive, so the reply pipe is
  // drained before the next request.
  bool outOfStep = false;
  bool recovering = false;  // configuring anew: a failure there does not start another recovery
  int holdDepth = 0;        // nesting of UsbHold
  bool claimed = false;     // the pipes are claimed for the outermost hold
  bool linkLost = false;    // the bridge is gone for good: every transfer fails until closed
  // Called once the bridge is gone for good (after its one-line message); the HAL ends the run.
  void (*onLinkLost)() = nullptr;
};
extern UsbTransportState UsbTransport;

// Holds the bridge lock and, for its outermost level, the bridge itself (claimed from the pipes
// when they need it), so that several processes share one bridge between their operations.
class UsbHold {
 public:
  UsbHold();
  ~UsbHold();
  UsbHold(const UsbHold&) = delete;
  UsbHold& operator=(const UsbHold&) = delete;

 private:
  BridgeLockHold lock_;
};

// Opens the bridge through the given pipes, finds its pipes, puts the USB information bytes
// into the selected MGE's entry, prints the MGE registers and configures the bridge: stale
// replies are drained first, and when no acknowledge comes the bridge is reset once and
// configured again. True once the bridge has acknowledged its configuration.
bool UsbTransportOpen(const PipeOps* pipes, const char* target, uint8_t mgeNumber,
                      uint8_t interfaceFlags, const uint8_t usbInfo[kMgeEntrySize]);
void UsbTransportClose();

// Writes size (1 to 4) bytes of value, least significant first. No reply is awaited.
bool UsbSingleWrite(uint32_t address, uint32_t size, uint8_t device, uint32_t value);

// Reads size (1 to 4) bytes; *value is 0 when the read fails.
bool UsbSingleRead(uint32_t address, uint32_t size, uint8_t device, uint32_t* value);

// Writes count bytes in packets of at most kMaxChunk bytes, all at the same address.
bool UsbBlockWrite(uint32_t address, uint32_t count, uint8_t device, const void* buffer);

// Reads count bytes in requests of at most kMaxChunk bytes; returns the bytes delivered, which
// is count unless a reply was missing, short or wrong.
uint32_t UsbBlockRead(uint32_t address, uint32_t count, uint8_t device, void* buffer);

// The line printed when the bridge is unplugged mid-session.
constexpr const char* kBridgeDisconnected = "bridge disconnected";
