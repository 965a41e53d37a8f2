// The simulated bridge and board, driven through the USB transport as the HAL drives them.
#include "sim/bridge.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/sim_pipe.h"
#include "test_support.h"
#include "transport/usb_transport.h"

namespace {

constexpr uint8_t kChip = 2;  // the interface flags the HAL opens the bridge with

class SimBridgeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    BridgeFault = BridgeFaults();
    StartCapture();
    ASSERT_TRUE(UsbTransportOpen(&SimPipes, path_.c_str(), 0, kChip, kUsbInfo));
    Captured();
  }
  void TearDown() override {
    BridgeFault = BridgeFaults();
    UsbTransportClose();
  }
  ChipState& Chip() { return SimBoard()->chip; }
  // Register reads go to index + 1: bit 0 of a bridge address marks a read.
  uint32_t ReadReg(uint32_t index, uint32_t size) {
    uint32_t value = 0;
    EXPECT_TRUE(UsbSingleRead(index + 1, size, kChip, &value));
    return value;
  }
  void SetMemoryAddress(uint32_t address, bool read) {
    UsbSingleWrite(kRegMemAddressHigh, 2, kChip, address >> 16);
    UsbSingleWrite(kRegMemAddressLow, 2, kChip, (address & 0xFFFE) | (read ? 1 : 0));
  }

  TempDir dir_;
  std::string path_ = dir_ / "board.img";
};

TEST_F(SimBridgeTest, ConfigurationIsKeptByTheBridge) {
  EXPECT_EQ(SimBoard()->bridge.configured, 1);
  EXPECT_EQ(SimBoard()->bridge.mgeTable[0][0], 0x41);
  EXPECT_EQ(SimBoard()->bridge.mgeTable[1][4], 0xBB);
}

TEST_F(SimBridgeTest, RegisterReadsAndWritesOfEveryWidth) {
  ASSERT_TRUE(UsbSingleWrite(0x0206, 2, kChip, 0xABCD));
  EXPECT_EQ(ReadReg(0x0206, 2), 0xABCDu);
  EXPECT_EQ(ReadReg(0x0206, 1), 0xCDu);
  EXPECT_EQ(ReadReg(0x0207, 1), 0xABu);  // odd index: the high byte
  ASSERT_TRUE(UsbSingleWrite(0x0207, 1, kChip, 0x12));
  EXPECT_EQ(ReadReg(0x0206, 2), 0x12CDu);
  // Four bytes cover a register pair, low word first.
  ASSERT_TRUE(UsbSingleWrite(0x0240, 4, kChip, 0x0003FFFE));
  EXPECT_EQ(ReadReg(0x0240, 2), 0xFFFEu);
  EXPECT_EQ(ReadReg(0x0242, 2), 0x0003u);
  EXPECT_EQ(ReadReg(0x0240, 4), 0x0003FFFEu);
  // A write of three bytes changes the low byte of the next register only.
  ASSERT_TRUE(UsbSingleWrite(0x0210, 3, kChip, 0x00AABBCC));
  EXPECT_EQ(ReadReg(0x0210, 4), 0x00AABBCCu);
  EXPECT_EQ(Chip().badAccesses, 0u);
}

TEST_F(SimBridgeTest, FourByteWritesToADataPortAreTwoPortWritesLowWordFirst) {
  // The look-up table loader writes red | green << 8 | blue << 16 as one 32-bit access.
  ASSERT_TRUE(UsbSingleWrite(kRegLcdLutCounter, 2, kChip, 31));
  ASSERT_TRUE(UsbSingleWrite(kRegLcdLutData, 4, kChip, 0xFF | 0x7D << 8 | 0xFF << 16));
  ASSERT_TRUE(UsbSingleWrite(kRegLcdLutData, 4, kChip, 0x01 | 0x02 << 8 | 0x03 << 16));
  EXPECT_EQ(ReadReg(kRegLcdLutCounter, 2), 33u);
  ASSERT_TRUE(UsbSingleWrite(kRegLcdLutCounter, 2, kChip, 31));
  EXPECT_EQ(ReadReg(kRegLcdLutData, 2), 0x7DFFu);  // green, then the low word's low byte
  EXPECT_EQ(ReadReg(kRegLcdLutData, 2), 0x00FFu);
  EXPECT_EQ(ReadReg(kRegLcdLutData, 4), 0x00030201u);
  // The write window's address is set the same way, both words at once.
  ASSERT_TRUE(UsbSingleWrite(kRegMemAddressLow, 4, kChip, 0x00050284));
  EXPECT_EQ(Chip().memAddress, 0x50284u);
}

TEST_F(SimBridgeTest, DisplayMemoryBlocksRoundTripAcrossChunks) {
  const uint32_t size = 3 * kMaxChunk + 100;
  std::vector<uint8_t> data(size);
  for (uint32_t i = 0; i < size; i++) data[i] = static_cast<uint8_t>(i * 13 + (i >> 8));
  SetMemoryAddress(0x1000, false);
  ASSERT_TRUE(UsbBlockWrite(kRegMemPort, size, kChip, data.data()));
  EXPECT_EQ(Chip().memory[0x1000 + size - 1], data[size - 1]);

  std::vector<uint8_t> back(size + 1, 0xEE);
  SetMemoryAddress(0x1000, true);
  EXPECT_EQ(UsbBlockRead(kRegMemPort + 1, size - 1, kChip, back.data()), size - 1);
  EXPECT_TRUE(std::equal(data.begin(), data.end() - 1, back.begin()));
  EXPECT_EQ(back[size - 1], 0xEE);  // an odd count delivers exactly that many bytes

  // A 1-byte single read of the port at an odd address is the high byte of the word.
  SetMemoryAddress(0x1000, true);
  uint32_t value = 0;
  ASSERT_TRUE(UsbSingleRead(kRegMemPort + 1, 2, kChip, &value));
  EXPECT_EQ(value, static_cast<uint32_t>(data[0] | data[1] << 8));
}

TEST_F(SimBridgeTest, BlockTransfersRepeatOnePlainRegister) {
  ASSERT_TRUE(UsbSingleWrite(0x0206, 2, kChip, 0x1234));
  uint8_t bytes[8] = {};
  ASSERT_EQ(UsbBlockRead(0x0207, sizeof bytes, kChip, bytes), 8u);
  for (int i = 0; i < 8; i += 2) {
    EXPECT_EQ(bytes[i], 0x34);
    EXPECT_EQ(bytes[i + 1], 0x12);
  }
  const uint8_t pattern[6] = {1, 0, 2, 0, 3, 0};
  ASSERT_TRUE(UsbBlockWrite(0x0206, sizeof pattern, kChip, pattern));
  EXPECT_EQ(ReadReg(0x0206, 2), 3u);
  EXPECT_EQ(ReadReg(0x0208, 2), 0x8888u);  // the next register is untouched
}

TEST_F(SimBridgeTest, RawAccessReachesTheBridgeScratchAtTheExactAddress) {
  ASSERT_TRUE(UsbSingleWrite(0x0100, 4, kRawDevice, 0xDEADBEEF));
  uint32_t value = 0;
  ASSERT_TRUE(UsbSingleRead(0x0100, 4, kRawDevice, &value));
  EXPECT_EQ(value, 0xDEADBEEFu);
  ASSERT_TRUE(UsbSingleRead(0x0101, 1, kRawDevice, &value));
  EXPECT_EQ(value, 0xBEu);
  EXPECT_EQ(ReadReg(0x00FF, 2), 0u);  // the chip saw nothing
  // Outside the scratch space: reads give 0, writes vanish, both are counted.
  ASSERT_TRUE(UsbSingleWrite(kScratchSize - 1, 2, kRawDevice, 0xFFFF));
  ASSERT_TRUE(UsbSingleRead(kScratchSize, 2, kRawDevice, &value));
  EXPECT_EQ(value, 0u);
  EXPECT_EQ(SimBoard()->bridge.badAccesses, 2u);
}

TEST_F(SimBridgeTest, InjectedFaultsReachTheCallerAsFailures) {
  uint32_t value = 0;
  StartCapture();
  BridgeFault.dropReplies = 1;
  EXPECT_FALSE(UsbSingleRead(0x0209, 2, kChip, &value));
  EXPECT_EQ(ReadReg(0x0208, 2), 0x8888u);  // the next read is whole again

  BridgeFault.bogusBeforeNext = 2;
  EXPECT_EQ(ReadReg(0x0208, 2), 0x8888u);

  std::vector<uint8_t> buffer(1000);
  SetMemoryAddress(0, true);
  BridgeFault.shortDataNext = 100;
  EXPECT_EQ(UsbBlockRead(kRegMemPort + 1, 1000, kChip, buffer.data()), 100u);

  BridgeFault.maxTransfer = 64;  // the reply comes in many transfers
  SetMemoryAddress(0, true);
  EXPECT_EQ(UsbBlockRead(kRegMemPort + 1, 1000, kChip, buffer.data()), 1000u);
  EXPECT_EQ(Captured(),
            "\nUsb Transport: USB T: Read IOCTL failed: NACK 110 (Connection timed out)\n"
            "\nBogus packet received 0x 3\nBogus packet received 0x 3"
            "\nUsb Transport: USB T: Read IOCTL failed: NACK 110 (Connection timed out)\n");
}

TEST_F(SimBridgeTest, GarbagePacketsAreCountedNeverFatal) {
  const std::vector<std::vector<uint8_t>> garbage = {
      {},
      {2},
      {9, 0, 0, 0, 0, 2, 2, 0},                 // unknown type
      {2, 0, 0x06, 0x02, 0, 2, 0xFF, 0xFF, 1},  // count beyond the data
      {0, 0, 0xFF, 0xFF, 0xFF, 2, 0xFF, 0xFF},  // huge read at the top of the space
      {2, 0, 0xFE, 0xFF, 0xFF, 7, 4, 0, 1, 2, 3, 4},
      {4, 0, 1, 2},  // short configuration
  };
  for (const auto& packet : garbage) {
    EXPECT_EQ(SimPipes.send(kPacketPipe, packet.data(), packet.size()),
              static_cast<int>(packet.size()));
  }
  EXPECT_LT(SimPipes.send(1, garbage[3].data(), garbage[3].size()), 0);
  EXPECT_GE(SimBoard()->bridge.badAccesses, 4u);
  // The huge read's reply waits in the pipe like any reply nobody took; drain it.
  std::vector<uint8_t> drain(70000);
  int replies = 0;
  while (SimPipes.receive(kReplyPipe, drain.data(), drain.size(), 0) > 0) replies++;
  EXPECT_EQ(replies, 1);
  EXPECT_EQ(ReadReg(0x0206, 2), 0x0001u);  // the short write still wrote its one byte
}

}  // namespace
