#include "transport/usb_transport.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/timing.h"

UsbTransportState UsbTransport;

namespace {

constexpr uint64_t kReplyWaitNs = kReplyWaitMs * 1000000ull;
constexpr uint64_t kDrainLimitNs = kDrainLimitMs * 1000000ull;
constexpr uint32_t kAddressMask = 0xFFFFFF;
constexpr size_t kDrainTransfer = 65536;  // a whole number of packets of every bus speed

// One buffer for every packet and reply, grown when a transfer needs more and kept.
class TransferBuffer {
 public:
  ~TransferBuffer() { std::free(bytes_); }
  uint8_t* Get(size_t size) {
    if (size > capacity_) {
      auto* grown = static_cast<uint8_t*>(std::realloc(bytes_, size));
      if (grown == nullptr) return nullptr;
      bytes_ = grown;
      capacity_ = size;
    }
    return bytes_;
  }

 private:
  uint8_t* bytes_ = nullptr;
  size_t capacity_ = 0;
};
TransferBuffer Packet;
TransferBuffer Reply;

void PutHeader(uint8_t* packet, uint8_t type, uint32_t address, uint8_t device, uint32_t count) {
  address &= kAddressMask;
  packet[0] = type;
  packet[1] = 0;
  packet[2] = static_cast<uint8_t>(address);
  packet[3] = static_cast<uint8_t>(address >> 8);
  packet[4] = static_cast<uint8_t>(address >> 16);
  packet[5] = device;
  packet[6] = static_cast<uint8_t>(count);
  packet[7] = static_cast<uint8_t>(count >> 8);
}

// Open, and not lost.
bool Usable() {
  return UsbTransport.pipes != nullptr && !UsbTransport.linkLost;
}

// The bridge is gone for good: one line, then the HAL ends the run (or, without it, every later
// transfer fails until the transport is closed; not here, since the lock may be held).
void LinkLost(const char* why) {
  std::printf("\n%s\n", why);
  std::fflush(stdout);
  UsbTransport.linkLost = true;
  if (UsbTransport.onLinkLost != nullptr) UsbTransport.onLinkLost();
}

// Takes whatever the bridge still has to say, so that a late reply never passes for the answer
// to the next request. It stops when the pipe stays quiet for kDrainWaitMs.
void Drain() {
  UsbTransport.outOfStep = false;
  uint8_t* buffer = Reply.Get(kDrainTransfer);
  if (buffer == nullptr || !Usable()) return;
  uint64_t start = MonotonicNanoseconds();
  while (MonotonicNanoseconds() - start < kDrainLimitNs) {
    int got = UsbTransport.pipes->receive(kReplyPipe, buffer, kDrainTransfer, kDrainWaitMs);
    if (got == kPipeDisconnected) return LinkLost(kBridgeDisconnected);
    if (got < 0) return;
  }
}

bool Configure();

// Resets the open bridge, takes what it still had to say and configures it anew.
bool ResetAndConfigure() {
  const PipeOps* pipes = UsbTransport.pipes;
  if (pipes->reset == nullptr || !pipes->reset()) return false;
  Drain();
  return Usable() && Configure();
}

// A packet cut short leaves the bridge waiting for the rest of it: reset it and configure it
// anew, or end the session when it does not come back.
void Recover() {
  if (UsbTransport.recovering || !Usable()) return;
  UsbTransport.recovering = true;
  bool back = ResetAndConfigure();
  UsbTransport.recovering = false;
  if (!back) LinkLost("Usb Transport: the bridge did not come back after a packet was cut short");
}

bool SendPacket(const uint8_t* packet, size_t len) {
  if (!Usable()) return false;
  if (UsbTransport.outOfStep) Drain();
  if (!Usable()) return false;
  int sent = UsbTransport.pipes->send(kPacketPipe, packet, len);
  if (sent == static_cast<int>(len)) return true;
  if (sent == kPipeDisconnected) {
    LinkLost(kBridgeDisconnected);
    return false;
  }
  if (sent == kPipeCutShort || sent >= 0) {
    std::printf(
        "\nUsb Transport: Write IOCTL failed: the packet was cut short; resetting the "
        "bridge\n");
    Recover();
    return false;
  }
  std::printf("\nUsb Transport: Write IOCTL failed %d (%s)\n", -sent,
              UsbTransport.pipes->errorName(sent));
  return false;
}

// One transfer from the reply pipe; negative when the pipe read failed or brought nothing, and
// then the reply pipe may be out of step with the requests.
int ReceiveTransfer(uint8_t* buffer, size_t len) {
  if (buffer == nullptr) {
    std::printf("\nUsb Transport: No buffer available for qvUsbTransportIn transaction \n");
    return -1;
  }
  if (!Usable()) return -1;
  int got = UsbTransport.pipes->receive(kReplyPipe, buffer, len, kReceiveTimeoutMs);
  if (got == kPipeDisconnected) {
    LinkLost(kBridgeDisconnected);
    return -1;
  }
  if (got <= 0) UsbTransport.outOfStep = true;
  if (got < 0) {
    std::printf("\nUsb Transport: USB T: Read IOCTL failed: NACK %d (%s)\n", -got,
                UsbTransport.pipes->errorName(got));
    return -1;
  }
  return got > 0 ? got : -1;
}

// Reads transfers until one of the wanted type arrives. Transfers of another type are reported
// and skipped for at most kReplyWaitMs; a failed read ends the wait at once. Returns the length
// of the wanted transfer, or -1.
int AwaitReply(uint8_t type, uint8_t* buffer, size_t len) {
  uint64_t start = MonotonicNanoseconds();
  for (;;) {
    int got = ReceiveTransfer(buffer, len);
    if (got < 0) return -1;
    uint8_t received = buffer[0] & kReplyTypeMask;
    if (received == type) return got;
    std::printf("\nBogus packet received 0x%2x", received);
    if (MonotonicNanoseconds() - start >= kReplyWaitNs) {
      UsbTransport.outOfStep = true;
      return -1;
    }
  }
}

uint32_t ReadLittleEndian(const uint8_t* bytes, uint32_t size) {
  uint32_t value = 0;
  for (uint32_t i = 0; i < size; i++) value |= static_cast<uint32_t>(bytes[i]) << (8 * i);
  return value;
}

bool Configure() {
  uint8_t packet[kConfigPacketSize];
  packet[0] = kPacketConfig;
  packet[1] = 0;
  std::memcpy(packet + 2, UsbTransport.mgeTable, sizeof UsbTransport.mgeTable);
  if (!SendPacket(packet, sizeof packet)) return false;
  uint8_t ack[kConfigPacketSize];
  return AwaitReply(kReplyConfigAck, ack, sizeof ack) >= 0;
}

// Reads one chunk's reply into out: a type 1 head with the first data, then data only, until
// the chunk rounded up to even has arrived. Returns the bytes delivered to out.
uint32_t ReceiveChunk(uint32_t chunk, uint8_t* out) {
  uint32_t rounded = (chunk + 1) & ~1u;
  uint8_t* buffer = Reply.Get(rounded + kReplyHeadSize);
  if (buffer == nullptr) {
    std::printf("Unable to allocate a transfer buffer");
    return 0;
  }
  int got = AwaitReply(kReplyReadData, buffer, rounded + kReplyHeadSize);
  if (got < static_cast<int>(kReplyHeadSize)) return 0;
  uint32_t head = ReadLittleEndian(buffer + 2, 2);
  uint32_t received = static_cast<uint32_t>(got) - kReplyHeadSize;
  while (received < rounded) {
    got = ReceiveTransfer(buffer + kReplyHeadSize + received, rounded - received);
    if (got < 0) break;
    received += static_cast<uint32_t>(got);
  }
  uint32_t delivered = received < head ? received : head;
  if (delivered > chunk) delivered = chunk;
  if (delivered < chunk) UsbTransport.outOfStep = true;
  std::memcpy(out, buffer + kReplyHeadSize, delivered);
  return delivered;
}

// A bridge may still hold replies of an earlier session: drain them, then configure. A bridge
// that does not acknowledge is reset once and configured again.
bool GetInStep() {
  Drain();
  if (Configure()) return true;
  const PipeOps* pipes = UsbTransport.pipes;
  if (pipes == nullptr || pipes->reset == nullptr) return false;
  std::printf("\nUsb Transport: the bridge did not acknowledge its configuration; resetting it\n");
  return ResetAndConfigure();
}

}  // namespace

UsbHold::UsbHold() {
  UsbTransportState& usb = UsbTransport;
  if (usb.holdDepth++ > 0 || !Usable() || usb.pipes->claim == nullptr) return;
  std::string why;
  int claimed = usb.pipes->claim(&why);
  usb.claimed = claimed == 0;
  if (claimed == kPipeDisconnected) {
    LinkLost(kBridgeDisconnected);
  } else if (claimed != 0) {
    std::printf("\nUsb Transport: %s\n", why.c_str());
  }
}

UsbHold::~UsbHold() {
  UsbTransportState& usb = UsbTransport;
  if (--usb.holdDepth > 0 || !usb.claimed) return;
  usb.claimed = false;
  if (usb.pipes != nullptr && usb.pipes->release != nullptr) usb.pipes->release();
}

bool UsbTransportOpen(const PipeOps* pipes, const char* target, uint8_t mgeNumber,
                      uint8_t interfaceFlags, const uint8_t usbInfo[kMgeEntrySize]) {
  UsbTransportClose();
  std::string why = "no bridge was chosen";
  if (pipes == nullptr || !pipes->open(target ? target : "", &why)) {
    std::printf("\nUsb Transport: %s\n", why.c_str());
    return false;
  }
  UsbTransport.pipes = pipes;
  UsbTransport.outOfStep = false;
  bool inStep = false;
  {
    UsbHold hold;
    if (!Usable() || (pipes->claim != nullptr && !UsbTransport.claimed)) {
      // The claim has said why.
    } else if (!pipes->pipeInfo()) {
      std::printf("\nUsb Transport: Get Pipe Info failed\n");
    } else {
      UsbTransport.mgeNumber = mgeNumber % kMgeCount;
      UsbTransport.interfaceFlags = interfaceFlags;
      UsbTransport.memoryBase = 0;
      UsbTransport.registerBase = 0;
      std::memcpy(UsbTransport.mgeTable[UsbTransport.mgeNumber], usbInfo, kMgeEntrySize);
      const uint8_t* regs = UsbTransport.mgeTable[0];
      if (UsbTransport.announce) {
        std::printf("\nCSCL:MGE Regs: 0x%02x 0x%02x 0x%02x 0x%02x 0x%02x 0x%02x\n", regs[0],
                    regs[1], regs[2], regs[3], regs[4], regs[5]);
      }
      UsbTransport.recovering = true;
      inStep = GetInStep();
      UsbTransport.recovering = false;
    }
  }
  if (!inStep) UsbTransportClose();
  return inStep;
}

void UsbTransportClose() {
  const PipeOps* pipes = UsbTransport.pipes;
  UsbTransport.pipes = nullptr;
  UsbTransport.claimed = false;
  UsbTransport.linkLost = false;
  if (pipes != nullptr) pipes->close();
}

bool UsbSingleWrite(uint32_t address, uint32_t size, uint8_t device, uint32_t value) {
  if (size < 1 || size > 4) return false;
  UsbHold hold;
  uint8_t packet[kPacketHeaderSize + 4];
  PutHeader(packet, kPacketWrite, address, device, size);
  for (uint32_t i = 0; i < size; i++) packet[kPacketHeaderSize + i] = uint8_t(value >> (8 * i));
  return SendPacket(packet, kPacketHeaderSize + size);
}

bool UsbSingleRead(uint32_t address, uint32_t size, uint8_t device, uint32_t* value) {
  *value = 0;
  if (size < 1 || size > 4) return false;
  UsbHold hold;
  uint8_t request[kPacketHeaderSize];
  PutHeader(request, kPacketReadRequest, address, device, size);
  if (!SendPacket(request, sizeof request)) return false;
  uint8_t reply[kPacketHeaderSize + 4];
  int got = AwaitReply(kReplyReadData, reply, size + kPacketHeaderSize);
  if (got < static_cast<int>(kReplyHeadSize + size)) {
    UsbTransport.outOfStep = true;
    return false;
  }
  *value = ReadLittleEndian(reply + kReplyHeadSize, size);
  return true;
}

bool UsbBlockWrite(uint32_t address, uint32_t count, uint8_t device, const void* buffer) {
  const auto* data = static_cast<const uint8_t*>(buffer);
  UsbHold hold;
  for (uint32_t done = 0; done < count;) {
    uint32_t chunk = count - done < kMaxChunk ? count - done : kMaxChunk;
    uint8_t* packet = Packet.Get(kPacketHeaderSize + chunk);
    if (packet == nullptr) {
      std::printf("Unable to allocate transfer buffer");
      return false;
    }
    PutHeader(packet, kPacketWrite, address, device, chunk);
    std::memcpy(packet + kPacketHeaderSize, data + done, chunk);
    if (!SendPacket(packet, kPacketHeaderSize + chunk)) return false;
    done += chunk;
  }
  return true;
}

uint32_t UsbBlockRead(uint32_t address, uint32_t count, uint8_t device, void* buffer) {
  auto* data = static_cast<uint8_t*>(buffer);
  UsbHold hold;
  uint32_t total = 0;
  while (total < count) {
    uint32_t chunk = count - total < kMaxChunk ? count - total : kMaxChunk;
    uint8_t request[kPacketHeaderSize];
    PutHeader(request, kPacketReadRequest, address, device, chunk);
    if (!SendPacket(request, sizeof request)) break;
    uint32_t delivered = ReceiveChunk(chunk, data + total);
    total += delivered;
    if (delivered < chunk) break;
  }
  return total;
}
