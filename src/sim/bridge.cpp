#include "sim/bridge.h"

#include <cstring>
#include <deque>
#include <vector>

#include "transport/cscl_packet.h"

BridgeFaults BridgeFault;

namespace {

constexpr uint32_t kSingleMax = 4;        // transfers up to this size walk the register addresses
constexpr size_t kQueueLimit = 4u << 20;  // replies nobody takes stop queueing here

// Replies waiting on pipe 2: their bytes back to back, and the length of each. A reply may be
// taken in several transfers; a transfer never runs into the next reply.
struct ReplyQueue {
  std::vector<uint8_t> bytes;
  std::deque<size_t> lengths;
  size_t readPos = 0;  // next byte of bytes to give
  size_t leftInCurrent = 0;
};

struct FirmwareState {
  BoardImage* board = nullptr;
  ReplyQueue replies;
};
FirmwareState Firmware;

uint32_t Little(const uint8_t* bytes, int size) {
  uint32_t value = 0;
  for (int i = 0; i < size; i++) value |= static_cast<uint32_t>(bytes[i]) << (8 * i);
  return value;
}

uint8_t* AppendReply(size_t len) {
  ReplyQueue& queue = Firmware.replies;
  if (queue.lengths.empty() && queue.leftInCurrent == 0) {
    queue.bytes.clear();
    queue.readPos = 0;
  }
  size_t at = queue.bytes.size();
  queue.bytes.resize(at + len);
  queue.lengths.push_back(len);
  return queue.bytes.data() + at;
}

// Queues a reply of len bytes and returns where to put them; null when the reply is lost.
uint8_t* QueueReply(size_t len) {
  for (; BridgeFault.bogusBeforeNext > 0; BridgeFault.bogusBeforeNext--) {
    uint8_t* bogus = AppendReply(len);
    std::memset(bogus, 0, len);
    bogus[0] = BridgeFault.bogusType;
  }
  if (BridgeFault.dropReplies > 0) {
    BridgeFault.dropReplies--;
    return nullptr;
  }
  if (Firmware.replies.bytes.size() + len > kQueueLimit) {
    Firmware.board->bridge.badAccesses++;
    return nullptr;
  }
  return AppendReply(len);
}

// ---- chip side: register indices as 16-bit words with byte lanes ----

void ChipWriteBytes(ChipState* chip, uint32_t index, const uint8_t* bytes, size_t count) {
  if (count > kSingleMax) {
    ChipWriteRepeated(chip, index & ~1u, bytes, count);
    return;
  }
  uint32_t at = index;
  for (size_t i = 0; i < count;) {
    uint32_t word = at & ~1u;
    if (at & 1) {
      ChipWrite(chip, word, static_cast<uint16_t>(bytes[i++] << 8), 0xFF00);
    } else if (count - i >= 2) {
      ChipWrite(chip, word, static_cast<uint16_t>(bytes[i] | bytes[i + 1] << 8), 0xFFFF);
      i += 2;
    } else {
      ChipWrite(chip, word, bytes[i++], 0x00FF);
    }
    at = ChipIsPort(word) ? word : word + 2;
  }
}

void ChipReadBytes(ChipState* chip, uint32_t index, uint8_t* bytes, size_t count) {
  if (count > kSingleMax) {
    ChipReadRepeated(chip, index & ~1u, bytes, count);
    return;
  }
  uint32_t at = index;
  for (size_t i = 0; i < count;) {
    uint32_t word = at & ~1u;
    uint16_t value = ChipRead(chip, word);
    if (!(at & 1)) bytes[i++] = static_cast<uint8_t>(value);
    if (i < count) bytes[i++] = static_cast<uint8_t>(value >> 8);
    at = ChipIsPort(word) ? word : word + 2;
  }
}

// ---- bridge side: raw access to the scratch memory ----

bool ScratchRange(uint32_t address, size_t count) {
  if (address < kScratchSize && count <= kScratchSize - address) return true;
  Firmware.board->bridge.badAccesses++;
  return false;
}

void TakeConfig(const uint8_t* packet) {
  BridgeMemory& bridge = Firmware.board->bridge;
  std::memcpy(bridge.mgeTable, packet + 2, sizeof bridge.mgeTable);
  bridge.configured = 1;
  uint8_t* ack = QueueReply(kConfigPacketSize);
  if (ack == nullptr) return;
  ack[0] = kReplyConfigAck;
  ack[1] = 0;
  std::memcpy(ack + 2, bridge.mgeTable, sizeof bridge.mgeTable);
}

void TakeWrite(uint32_t address, uint8_t device, const uint8_t* data, size_t count) {
  if (device == kRawDevice) {
    if (ScratchRange(address, count)) {
      std::memcpy(Firmware.board->bridge.scratch + address, data, count);
    }
    return;
  }
  ChipWriteBytes(&Firmware.board->chip, address, data, count);
}

// A read reply: the head with the count asked for, then the data padded to an even length.
void TakeReadRequest(uint32_t address, uint8_t device, uint32_t count) {
  uint32_t rounded = (count + 1) & ~1u;
  uint8_t* reply = QueueReply(kReplyHeadSize + rounded);
  if (reply == nullptr) return;
  reply[0] = kReplyReadData;
  reply[1] = 0;
  reply[2] = static_cast<uint8_t>(count);
  reply[3] = static_cast<uint8_t>(count >> 8);
  uint8_t* data = reply + kReplyHeadSize;
  std::memset(data + count, 0, rounded - count);
  if (device == kRawDevice) {
    // Raw reads use the address as it is; chip reads carry the read mark in bit 0.
    if (ScratchRange(address, count)) {
      std::memcpy(data, Firmware.board->bridge.scratch + address, count);
    } else {
      std::memset(data, 0, count);
    }
  } else {
    ChipReadBytes(&Firmware.board->chip, (address - 1) & 0xFFFFFF, data, count);
  }
  if (BridgeFault.shortDataNext >= 0) {
    size_t keep = static_cast<size_t>(BridgeFault.shortDataNext);
    if (keep < rounded) {
      Firmware.replies.bytes.resize(Firmware.replies.bytes.size() - (rounded - keep));
      Firmware.replies.lengths.back() = kReplyHeadSize + keep;
    }
    BridgeFault.shortDataNext = -1;
  }
}

}  // namespace

void BridgeStart(BoardImage* board) {
  Firmware.board = board;
  Firmware.replies = ReplyQueue();
}

void BridgeStop() {
  Firmware.board = nullptr;
  Firmware.replies = ReplyQueue();
}

void BridgeTakePacket(const uint8_t* packet, size_t len) {
  if (Firmware.board == nullptr) return;
  if (len == kConfigPacketSize && packet[0] == kPacketConfig) {
    TakeConfig(packet);
    return;
  }
  if (len < kPacketHeaderSize || (packet[0] != kPacketWrite && packet[0] != kPacketReadRequest)) {
    Firmware.board->bridge.badAccesses++;
    return;
  }
  uint32_t address = Little(packet + 2, 3);
  uint8_t device = packet[5];
  uint32_t count = Little(packet + 6, 2);
  if (packet[0] == kPacketReadRequest) {
    TakeReadRequest(address, device, count);
    return;
  }
  if (len - kPacketHeaderSize < count) {
    Firmware.board->bridge.badAccesses++;  // a short packet: only what arrived is written
    count = static_cast<uint32_t>(len - kPacketHeaderSize);
  }
  TakeWrite(address, device, packet + kPacketHeaderSize, count);
}

int BridgeGiveReply(uint8_t* buffer, size_t len) {
  if (BridgeFault.bogusForever) {
    size_t n = len < kReplyHeadSize ? len : kReplyHeadSize;
    std::memset(buffer, 0, n);
    if (n > 0) buffer[0] = BridgeFault.bogusType;
    return static_cast<int>(n);
  }
  ReplyQueue& queue = Firmware.replies;
  if (BridgeFault.lateReplies > 0 && (queue.leftInCurrent > 0 || !queue.lengths.empty())) {
    BridgeFault.lateReplies--;
    return -1;
  }
  if (queue.leftInCurrent == 0) {
    if (queue.lengths.empty()) return -1;
    queue.leftInCurrent = queue.lengths.front();
    queue.lengths.pop_front();
  }
  size_t n = len < queue.leftInCurrent ? len : queue.leftInCurrent;
  if (BridgeFault.maxTransfer > 0 && n > BridgeFault.maxTransfer) n = BridgeFault.maxTransfer;
  std::memcpy(buffer, queue.bytes.data() + queue.readPos, n);
  queue.readPos += n;
  queue.leftInCurrent -= n;
  return static_cast<int>(n);
}
