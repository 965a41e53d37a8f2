#include "transport/usb_transport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "platform/timing.h"
#include "sim/bridge.h"
#include "sim/sim_pipe.h"
#include "test_support.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A bridge played by the test: it records every packet and answers with scripted transfers.
// The transfers a test queues reach the reply pipe when the next read request is sent, as a
// bridge's answers would; `live` is what the pipe holds now (stale replies go there directly).
struct ScriptedBridge {
  bool opens = true;
  int acknowledgeAfterResets = 0;  // the configuration is acknowledged after this many resets
  bool sendFails = false;
  int cutShortSends = 0;  // that many sends stop part-way
  bool bogusForever = false;
  int resets = 0;
  std::vector<Bytes> sent;
  std::deque<Bytes> transfers;
  std::deque<Bytes> live;
  std::vector<size_t> receiveSizes;  // the length asked for by each receive
};
ScriptedBridge Script;

int ScriptedSend(int pipe, const uint8_t* data, size_t len) {
  if (pipe != kPacketPipe || Script.sendFails) return -EIO;
  if (Script.cutShortSends > 0) {
    Script.cutShortSends--;
    return kPipeCutShort;
  }
  Script.sent.emplace_back(data, data + len);
  if (data[0] == kPacketReadRequest) {
    Script.live.insert(Script.live.end(), Script.transfers.begin(), Script.transfers.end());
    Script.transfers.clear();
  }
  if (data[0] == kPacketConfig && Script.resets >= Script.acknowledgeAfterResets) {
    Bytes ack(kConfigPacketSize, 0);
    ack[0] = kReplyConfigAck;
    Script.live.push_back(ack);
  }
  return static_cast<int>(len);
}

int ScriptedReceive(int pipe, uint8_t* buffer, size_t len, uint32_t) {
  Script.receiveSizes.push_back(len);
  if (pipe != kReplyPipe) return -EINVAL;
  if (Script.bogusForever) {
    buffer[0] = 0x43;  // type 3 with the high bits set
    return 4;
  }
  if (Script.live.empty()) return -ETIMEDOUT;
  Bytes next = Script.live.front();
  Script.live.pop_front();
  size_t n = next.size() < len ? next.size() : len;
  std::copy(next.begin(), next.begin() + n, buffer);
  return static_cast<int>(n);
}

const PipeOps kScriptedPipes = {
    .name = "scripted",
    .open =
        [](const char*, std::string* why) {
          *why = "the scripted bridge is closed";
          return Script.opens;
        },
    .pipeInfo = [] { return true; },
    .send = ScriptedSend,
    .receive = ScriptedReceive,
    .close = [] {},
    .errorName = [](int code) -> const char* { return std::strerror(-code); },
    .claim = nullptr,
    .release = nullptr,
    .reset =
        [] {
          Script.resets++;
          Script.live.clear();
          return true;
        },
};

// The reply is sized first and filled in place: GCC 12 warns wrongly about an insert into a
// vector that starts with four bytes.
Bytes ReadReply(const Bytes& data, uint32_t count) {
  Bytes reply(4 + data.size());
  reply[0] = 1;
  reply[2] = uint8_t(count);
  reply[3] = uint8_t(count >> 8);
  std::copy(data.begin(), data.end(), reply.begin() + 4);
  return reply;
}

class UsbTransportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StartCapture();
    ASSERT_TRUE(Open());
    Captured();
    Script.sent.clear();
    Script.receiveSizes.clear();
    StartCapture();
  }
  void TearDown() override {
    Captured();
    UsbTransportClose();
  }
  // Opens the transport afresh on a bridge that acknowledges the configuration or not.
  static bool Open(bool acknowledges = true, bool driverOpens = true) {
    UsbTransport = UsbTransportState();
    Script = ScriptedBridge();
    Script.opens = driverOpens;
    Script.acknowledgeAfterResets = acknowledges ? 0 : 2;
    return UsbTransportOpen(&kScriptedPipes, "", 0, 2, kUsbInfo);
  }
  // What was printed since the last call (or the test's start).
  static std::string Restart() {
    std::string text = Captured();
    StartCapture();
    return text;
  }
};

TEST_F(UsbTransportTest, OpenSendsTheConfigurationAndWaitsForItsAcknowledge) {
  ASSERT_TRUE(Open());
  EXPECT_EQ(Restart(), "\nCSCL:MGE Regs: 0x41 0x55 0xaa 0x5f 0xaa 0xaa\n");
  ASSERT_EQ(Script.sent.size(), 1u);
  Bytes expected = {4,    0,    0x41, 0x55, 0xAA, 0x5F, 0xAA, 0xAA, 0x40, 0x55, 0x00, 0x50, 0xBB,
                    0xBB, 0x40, 0x55, 0x00, 0x50, 0xCC, 0xCC, 0x40, 0x55, 0x00, 0x50, 0xDD, 0xDD};
  EXPECT_EQ(Script.sent[0], expected);
  EXPECT_EQ(UsbTransport.interfaceFlags, 2);
}

TEST_F(UsbTransportTest, OpenFailsWithoutDriverOrAcknowledge) {
  EXPECT_FALSE(Open(true, false));
  EXPECT_EQ(Restart(), "\nUsb Transport: the scripted bridge is closed\n");
  EXPECT_TRUE(Script.sent.empty());
  // A bridge that never acknowledges, even after its one reset, is not a working bridge; later
  // transfers then fail.
  EXPECT_FALSE(Open(false));
  std::string text = Restart();
  EXPECT_NE(text.find("Read IOCTL failed: NACK 110"), std::string::npos);
  EXPECT_NE(text.find("\nUsb Transport: the bridge did not acknowledge its configuration; "
                      "resetting it\n"),
            std::string::npos);
  EXPECT_EQ(Script.resets, 1);
  EXPECT_EQ(Script.sent.size(), 2u);  // the configuration, before and after the reset
  EXPECT_FALSE(UsbSingleWrite(0x40, 2, 2, 0x1234));
}

TEST_F(UsbTransportTest, SingleWritesCarryTheLowBytesLeastSignificantFirst) {
  ASSERT_TRUE(UsbSingleWrite(0x123456, 3, 2, 0xAABBCCDD));
  ASSERT_TRUE(UsbSingleWrite(0xFF000042, 1, 8, 0x1FF));  // address keeps 24 bits
  ASSERT_TRUE(UsbSingleWrite(0x0182, 4, 2, 0x80012345));
  ASSERT_EQ(Script.sent.size(), 3u);
  EXPECT_EQ(Script.sent[0], (Bytes{2, 0, 0x56, 0x34, 0x12, 2, 3, 0, 0xDD, 0xCC, 0xBB}));
  EXPECT_EQ(Script.sent[1], (Bytes{2, 0, 0x42, 0, 0, 8, 1, 0, 0xFF}));
  EXPECT_EQ(Script.sent[2], (Bytes{2, 0, 0x82, 0x01, 0, 2, 4, 0, 0x45, 0x23, 0x01, 0x80}));
  EXPECT_TRUE(Script.transfers.empty());  // no acknowledge is awaited
  EXPECT_FALSE(UsbSingleWrite(0, 0, 2, 0));
  EXPECT_FALSE(UsbSingleWrite(0, 5, 2, 0));
  EXPECT_EQ(Script.sent.size(), 3u);
}

TEST_F(UsbTransportTest, SingleReadRequestsAndDecodesTheReply) {
  Script.transfers.push_back(ReadReply({0x34, 0x12}, 2));
  Script.transfers.push_back(ReadReply({0x78, 0x56, 0x34, 0x12}, 4));
  Script.transfers.push_back(ReadReply({0xAB, 0x00}, 1));
  uint32_t value = 0;
  ASSERT_TRUE(UsbSingleRead(0x0041, 2, 2, &value));
  EXPECT_EQ(value, 0x1234u);
  ASSERT_TRUE(UsbSingleRead(0x0183, 4, 2, &value));
  EXPECT_EQ(value, 0x12345678u);
  ASSERT_TRUE(UsbSingleRead(0x0203, 1, 2, &value));
  EXPECT_EQ(value, 0xABu);
  EXPECT_EQ(Script.sent[0], (Bytes{0, 0, 0x41, 0, 0, 2, 2, 0}));
  EXPECT_EQ(Script.sent[1], (Bytes{0, 0, 0x83, 0x01, 0, 2, 4, 0}));
  EXPECT_EQ(Script.receiveSizes, (std::vector<size_t>{10, 12, 9}));  // size + 8
  EXPECT_EQ(Restart(), "");
}

TEST_F(UsbTransportTest, FailedSingleReadsGiveZero) {
  uint32_t value = 0xFFFF;
  EXPECT_FALSE(UsbSingleRead(0x41, 2, 2, &value));  // no reply at all
  EXPECT_EQ(value, 0u);
  EXPECT_EQ(Restart(),
            "\nUsb Transport: USB T: Read IOCTL failed: NACK 110 (Connection timed out)\n");

  Script.sendFails = true;
  EXPECT_FALSE(UsbSingleRead(0x41, 2, 2, &value));
  EXPECT_EQ(Restart(), "\nUsb Transport: Write IOCTL failed 5 (Input/output error)\n");
}

TEST_F(UsbTransportTest, WrongReplyTypesAreReportedAndSkipped) {
  Script.transfers.push_back({3, 0, 0, 0, 0, 0});
  Script.transfers.push_back({0x80 | 5, 0, 0, 0, 0, 0});
  Script.transfers.push_back(ReadReply({0xCD, 0xAB}, 2));
  uint32_t value = 0;
  ASSERT_TRUE(UsbSingleRead(0x41, 2, 2, &value));
  EXPECT_EQ(value, 0xABCDu);
  EXPECT_EQ(Restart(), "\nBogus packet received 0x 3\nBogus packet received 0x 5");
}

TEST_F(UsbTransportTest, EndlessWrongRepliesEndTheWaitAfterFiveMilliseconds) {
  Script.bogusForever = true;
  uint32_t value = 1;
  uint64_t start = MonotonicNanoseconds();
  EXPECT_FALSE(UsbSingleRead(0x41, 2, 2, &value));
  uint64_t took = MonotonicNanoseconds() - start;
  EXPECT_EQ(value, 0u);
  EXPECT_GE(took, 5000000u);
  std::string text = Restart();
  EXPECT_EQ(text.rfind("\nBogus packet received 0x 3", 0), 0u);

  // The block read's first transfer waits the same way.
  start = MonotonicNanoseconds();
  uint8_t buffer[16];
  EXPECT_EQ(UsbBlockRead(0x18D, sizeof buffer, 2, buffer), 0u);
  EXPECT_GE(MonotonicNanoseconds() - start, 5000000u);
}

TEST_F(UsbTransportTest, BlockWritesGoInChunksAtTheSameAddress) {
  std::vector<uint8_t> data(2 * kMaxChunk + 1);
  for (size_t i = 0; i < data.size(); i++) data[i] = static_cast<uint8_t>(i * 7);
  ASSERT_TRUE(UsbBlockWrite(0x018C, static_cast<uint32_t>(data.size()), 2, data.data()));
  ASSERT_EQ(Script.sent.size(), 3u);
  const uint32_t counts[] = {kMaxChunk, kMaxChunk, 1};
  size_t offset = 0;
  for (int i = 0; i < 3; i++) {
    const Bytes& packet = Script.sent[i];
    ASSERT_EQ(packet.size(), 8 + counts[i]);
    EXPECT_EQ(Bytes(packet.begin(), packet.begin() + 8),
              (Bytes{2, 0, 0x8C, 0x01, 0, 2, uint8_t(counts[i]), uint8_t(counts[i] >> 8)}));
    EXPECT_TRUE(std::equal(packet.begin() + 8, packet.end(), data.begin() + offset));
    offset += counts[i];
  }
  EXPECT_TRUE(UsbBlockWrite(0x018C, 0, 2, data.data()));
  EXPECT_EQ(Script.sent.size(), 3u);
}

TEST_F(UsbTransportTest, BlockReadOfTwoChunksAndOneByteIsThreeRequestsTheLastPadded) {
  Bytes full(kMaxChunk, 0x5A);
  Script.transfers.push_back(ReadReply(full, kMaxChunk));
  Script.transfers.push_back(ReadReply(full, kMaxChunk));
  Script.transfers.push_back(ReadReply({0x77, 0x00}, 1));
  std::vector<uint8_t> buffer(2 * kMaxChunk + 2, 0xEE);
  uint32_t got = UsbBlockRead(0x018D, 2 * kMaxChunk + 1, 2, buffer.data());
  EXPECT_EQ(got, 2 * kMaxChunk + 1);
  ASSERT_EQ(Script.sent.size(), 3u);
  EXPECT_EQ(Script.sent[0], (Bytes{0, 0, 0x8D, 0x01, 0, 2, 0xF0, 0xFF}));
  EXPECT_EQ(Script.sent[1], (Bytes{0, 0, 0x8D, 0x01, 0, 2, 0xF0, 0xFF}));
  EXPECT_EQ(Script.sent[2], (Bytes{0, 0, 0x8D, 0x01, 0, 2, 1, 0}));
  // Each chunk is received into its even size plus the head: the last into 2 + 4 bytes.
  EXPECT_EQ(Script.receiveSizes, (std::vector<size_t>{kMaxChunk + 4, kMaxChunk + 4, 6}));
  EXPECT_EQ(buffer[2 * kMaxChunk], 0x77);
  EXPECT_EQ(buffer[2 * kMaxChunk + 1], 0xEE);  // the padding byte is not delivered
}

TEST_F(UsbTransportTest, BlockRepliesDeliverAndCountWhatArrived) {
  // The data transfers after the head are collected; a bogus first transfer is not counted.
  Script.transfers.push_back({3, 0, 0, 0});
  Script.transfers.push_back({1, 0, 6, 0, 'a', 'b'});
  Script.transfers.push_back({'c', 'd', 'e'});
  Script.transfers.push_back({'f'});
  uint8_t buffer[8] = {};
  EXPECT_EQ(UsbBlockRead(0x100, 6, 2, buffer), 6u);
  EXPECT_EQ(std::string(buffer, buffer + 6), "abcdef");
  EXPECT_EQ(Restart(), "\nBogus packet received 0x 3");
  // The data stop early: only what came is delivered and counted.
  Script.transfers.push_back({1, 0, 8, 0, 1, 2, 3});
  EXPECT_EQ(UsbBlockRead(0x100, 8, 2, buffer), 3u);
  // A head that claims fewer bytes than asked limits the result.
  Script.transfers.push_back({1, 0, 2, 0, 1, 2, 3, 4});
  EXPECT_EQ(UsbBlockRead(0x100, 4, 2, buffer), 2u);
  // A head shorter than four bytes is no reply.
  Script.transfers.push_back({1, 0});
  EXPECT_EQ(UsbBlockRead(0x100, 4, 2, buffer), 0u);
  // A missing second chunk stops the read after the first.
  std::vector<uint8_t> big(kMaxChunk + 10);
  Script.transfers.push_back(ReadReply(Bytes(kMaxChunk, 9), kMaxChunk));
  Script.sent.clear();
  EXPECT_EQ(UsbBlockRead(0x100, kMaxChunk + 10, 2, big.data()), kMaxChunk);
  EXPECT_EQ(Script.sent.size(), 2u);
}

// Whatever went wrong with a read, its reply may still come: it is drained before the next
// request, so it never passes for the next read's value.
TEST_F(UsbTransportTest, AReplyThatComesLateIsDrainedBeforeTheNextRequest) {
  struct Row {
    const char* received;
    bool transfer;
    Bytes bytes;
  };
  for (const Row& row : {Row{"nothing", false, {}}, Row{"an empty transfer", true, {}},
                         Row{"a short reply (one of two bytes)", true, {1, 0, 2, 0, 0x34}}}) {
    SCOPED_TRACE(row.received);
    if (row.transfer) Script.transfers.push_back(row.bytes);
    uint32_t value = 0xFFFF;
    EXPECT_FALSE(UsbSingleRead(0x41, 2, 2, &value));
    EXPECT_EQ(value, 0u);
    EXPECT_TRUE(UsbTransport.outOfStep);
    Script.live.push_back(ReadReply({0xEE, 0xEE}, 2));  // the failed read's reply, late
    Script.transfers.push_back(ReadReply({0x34, 0x12}, 2));
    EXPECT_TRUE(UsbSingleRead(0x41, 2, 2, &value));
    EXPECT_EQ(value, 0x1234u);
    EXPECT_FALSE(UsbTransport.outOfStep);
  }
}

TEST_F(UsbTransportTest, APacketCutShortResetsAndReconfiguresTheBridge) {
  Script.cutShortSends = 1;
  EXPECT_FALSE(UsbSingleWrite(0x40, 2, 2, 0x1234));
  EXPECT_EQ(Script.resets, 1);
  ASSERT_EQ(Script.sent.size(), 1u);
  EXPECT_EQ(Script.sent[0][0], kPacketConfig);
  EXPECT_EQ(Restart(),
            "\nUsb Transport: Write IOCTL failed: the packet was cut short; resetting the "
            "bridge\n");
  EXPECT_TRUE(UsbSingleWrite(0x40, 2, 2, 0x1234));
  // A bridge that does not come back ends the session.
  Script.cutShortSends = 1;
  Script.acknowledgeAfterResets = 99;
  EXPECT_FALSE(UsbSingleWrite(0x40, 2, 2, 0x1234));
  EXPECT_TRUE(UsbTransport.linkLost);
  EXPECT_FALSE(UsbSingleWrite(0x40, 2, 2, 0x1234));
  EXPECT_NE(Restart().find("\nUsb Transport: the bridge did not come back after a packet was cut "
                           "short\n"),
            std::string::npos);
}

// The simulated bridge's fault switches: the acknowledge lost at open, a reply that comes late.
TEST(SimulatedBridgeInStep, ALostAcknowledgeAndALateReplyAreRecovered) {
  TempDir dir;
  BridgeFault = BridgeFaults();
  BridgeFault.dropReplies = 1;
  StartCapture();
  ASSERT_TRUE(UsbTransportOpen(&SimPipes, (dir / "board.img").c_str(), 0, 2, kUsbInfo));
  EXPECT_NE(Captured().find("resetting it"), std::string::npos);
  BridgeFault.lateReplies = 1;
  uint32_t value = 0;
  StartCapture();
  EXPECT_TRUE(UsbSingleWrite(0x40, 2, 2, 0x1234));
  EXPECT_FALSE(UsbSingleRead(0x41, 2, 2, &value));
  EXPECT_TRUE(UsbSingleWrite(0x40, 2, 2, 0x5678));
  EXPECT_TRUE(UsbSingleRead(0x41, 2, 2, &value));
  Captured();
  EXPECT_EQ(value, 0x5678u);
  UsbTransportClose();
  BridgeFault = BridgeFaults();
}

TEST_F(UsbTransportTest, TransfersBeforeOpenFail) {
  UsbTransportClose();
  uint32_t value = 7;
  uint8_t buffer[4];
  EXPECT_FALSE(UsbSingleWrite(0, 2, 2, 0));
  EXPECT_FALSE(UsbSingleRead(1, 2, 2, &value));
  EXPECT_EQ(value, 0u);
  EXPECT_FALSE(UsbBlockWrite(0, 4, 2, buffer));
  EXPECT_EQ(UsbBlockRead(1, 4, 2, buffer), 0u);
}

}  // namespace
