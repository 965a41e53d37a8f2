// The CSCL packet protocol between the host and the USB bridge, as both ends know it.
#pragma once

#include <cstdint>

// Packet types in byte 0 of a packet (replies: the low 6 bits).
constexpr uint8_t kPacketReadRequest = 0;
constexpr uint8_t kReplyReadData = 1;
constexpr uint8_t kPacketWrite = 2;
constexpr uint8_t kReplyConfigAck = 3;
constexpr uint8_t kPacketConfig = 4;
constexpr uint8_t kReplyTypeMask = 0x3F;

// Packet header: type, 0, 24-bit address, device selector, 16-bit byte count, all least
// significant byte first. A read reply starts with a head: type, 0, 16-bit byte count.
constexpr uint32_t kPacketHeaderSize = 8;
constexpr uint32_t kReplyHeadSize = 4;
constexpr uint32_t kConfigPacketSize = 26;  // type, 0, four MGE entries of 6 bytes
constexpr uint32_t kMaxChunk = 65520;       // largest byte count of one packet
constexpr uint8_t kRawDevice = 8;           // device selector of raw access
constexpr int kMgeCount = 4;
constexpr int kMgeEntrySize = 6;
