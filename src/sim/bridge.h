// Firmware of the simulated USB bridge: takes the packets sent to pipe 0, acts on the chip or
// on its own scratch memory, and queues the replies that pipe 2 gives back.
#pragma once

#include <cstddef>
#include <cstdint>

#include "sim/board_file.h"

// Fault injection for tests; per process. One-shot faults clear themselves once used.
struct BridgeFaults {
  uint32_t bogusBeforeNext = 0;  // replies of bogusType queued in front of the next reply
  uint8_t bogusType = 3;
  bool bogusForever = false;   // the reply pipe brings nothing but bogusType packets
  uint32_t dropReplies = 0;    // that many of the next replies are lost
  uint32_t lateReplies = 0;    // that many receives find nothing though a reply is on its way
  int32_t shortDataNext = -1;  // the next read reply carries only this many data bytes
  uint32_t maxTransfer = 0;    // replies arrive in transfers of at most this many bytes
};
extern BridgeFaults BridgeFault;

// Starts the firmware on a board; pending replies are dropped.
void BridgeStart(BoardImage* board);
void BridgeStop();

// A packet arrives on pipe 0.
void BridgeTakePacket(const uint8_t* packet, size_t len);

// The next transfer of pipe 2 into buffer: the bytes given, or -1 when no reply is waiting.
int BridgeGiveReply(uint8_t* buffer, size_t len);
