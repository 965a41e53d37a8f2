#include "sim/window.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ChipFault = ChipFaults();
    board_ = std::make_unique<BoardImage>();
    BoardPowerOn(board_.get());
  }
  void TearDown() override { ChipFault = ChipFaults(); }
  void Select(uint32_t index) { WindowWrite(board_.get(), kWindowIndexPort, index, 2); }
  uint32_t Data(int width) { return WindowRead(board_.get(), kWindowDataPort, width); }
  void SetData(uint32_t value, int width) {
    WindowWrite(board_.get(), kWindowDataPort, value, width);
  }
  std::unique_ptr<BoardImage> board_;
};

TEST_F(WindowTest, IndexAndDataPortsReachTheChip) {
  Select(0x0206);
  SetData(0xABCD, 2);
  Select(0x0206 | 1);  // a read cycle
  EXPECT_EQ(Data(2), 0xABCDu);
  EXPECT_EQ(Data(1), 0xCDu);
  Select(0x0206);
  SetData(0x12, 1);  // a byte write keeps the high byte
  EXPECT_EQ(board_->chip.regs[0x0206 / 2], 0xAB12);
  EXPECT_EQ(WindowRead(board_.get(), kWindowIndexPort, 2), 0x0206u);
}

TEST_F(WindowTest, ThirtyTwoBitDataAccessIsTwoPortAccessesLowWordFirst) {
  Select(kRegMemAddressHigh);
  SetData(0x0001, 2);
  Select(kRegMemAddressLow);
  SetData(0x0010, 2);
  Select(kRegMemPort);
  SetData(0x44332211, 4);
  EXPECT_EQ(board_->chip.memory[0x10010], 0x11);
  EXPECT_EQ(board_->chip.memory[0x10013], 0x44);
  Select(kRegMemAddressLow);
  SetData(0x0011, 2);
  Select(kRegMemPort | 1);
  EXPECT_EQ(Data(4), 0x44332211u);
}

TEST_F(WindowTest, StatusShowsBusySpareKeepsItsValueOtherOffsetsAreCounted) {
  EXPECT_EQ(WindowRead(board_.get(), kWindowStatusPort, 2), 0u);
  ChipFault.stuckBusy = true;
  EXPECT_EQ(WindowRead(board_.get(), kWindowStatusPort, 2), kStatusBusy);
  WindowWrite(board_.get(), kWindowSparePort, 0x5A5A, 2);
  EXPECT_EQ(WindowRead(board_.get(), kWindowSparePort, 2), 0x5A5Au);
  WindowWrite(board_.get(), 6, 1, 2);
  EXPECT_EQ(WindowRead(board_.get(), 0x100, 2), 0u);
  EXPECT_EQ(board_->bridge.badAccesses, 2u);
}

}  // namespace
