#include "platform/board_lock.h"

#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "sim/sim_pipe.h"
#include "test_support.h"
#include "transport/usb_transport.h"

namespace {

class BridgeLockTest : public ::testing::Test {
 protected:
  void SetUp() override { BridgeLockClose(); }
  void TearDown() override {
    BridgeLockClose();
    unlink(BridgeLockPath().c_str());
  }
  TempDir dir_;
  ScopedEnv runtime_{"XDG_RUNTIME_DIR", dir_.Path().c_str()};
  ScopedEnv board_{"QDXBOARD", "locktest"};
};

TEST(BridgeLockName, CompletedWithQdxboard) {
  ScopedEnv board("QDXBOARD", "2");
  ScopedEnv runtime("XDG_RUNTIME_DIR", nullptr);
  EXPECT_EQ(BridgeLockName(), "77926MGEMutex2");
  board.Set(nullptr);
  EXPECT_EQ(BridgeLockName(), "77926MGEMutex(null)");
  EXPECT_EQ(BridgeLockPath(), "/tmp/77926MGEMutex(null)");
  board.Set("a/b");
  runtime.Set("/run/user/7");
  EXPECT_EQ(BridgeLockPath(), "/run/user/7/77926MGEMutexa_b");
}

TEST_F(BridgeLockTest, ReentrantForItsHolderExclusiveForOtherThreads) {
  BridgeLock(true);
  BridgeLock(true);  // the holder takes it again without blocking
  std::atomic<bool> entered{false};
  std::thread other([&] {
    BridgeLockHold hold;
    entered = true;
  });
  BridgeLock(false);
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_FALSE(entered);  // still held once
  BridgeLock(false);
  other.join();
  EXPECT_TRUE(entered);
  BridgeLock(false);  // releasing a lock not held does nothing
  BridgeLockHold again;
}

TEST_F(BridgeLockTest, ReleaseByAnotherThreadDoesNotFreeTheLock) {
  BridgeLock(true);
  std::thread([] { BridgeLock(false); }).join();
  std::atomic<bool> entered{false};
  std::thread other([&] {
    BridgeLockHold hold;
    entered = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_FALSE(entered);
  BridgeLock(false);
  other.join();
  EXPECT_TRUE(entered);
}

// A wait of more than two seconds names the holder once; when the holder dies, its lock is
// taken over.
TEST_F(BridgeLockTest, OtherProcessWaitsNamingTheHolderAndADeadHolderReleasesIt) {
  int toParent[2];
  ASSERT_EQ(pipe(toParent), 0);
  pid_t child = fork();
  if (child == 0) {
    BridgeLock(true);
    char byte = 0;
    // Tell the parent the lock is held, then die holding it.
    ssize_t ignored = write(toParent[1], &byte, 1);
    (void)ignored;
    std::this_thread::sleep_for(std::chrono::milliseconds(2300));
    _exit(0);
  }
  char byte = 0;
  ASSERT_EQ(read(toParent[0], &byte, 1), 1);
  StartCapture();
  auto start = std::chrono::steady_clock::now();
  BridgeLock(true);
  auto waited = std::chrono::steady_clock::now() - start;
  BridgeLock(false);
  EXPECT_EQ(Captured(),
            "Waiting for the board lock (held by process " + std::to_string(child) + ")...\n");
  EXPECT_GE(waited, std::chrono::milliseconds(2000));
  int status = 0;
  waitpid(child, &status, 0);
  close(toParent[0]);
  close(toParent[1]);
}

// Each process writes its own words to its own part of one shared board: memory address, then
// data, as the HAL does. Without the lock, the other process could move the address between the
// two; with it, every word arrives where it was meant to go.
TEST_F(BridgeLockTest, TwoProcessesWritingOneBoardUnderTheLockNeverInterleave) {
  const std::string path = dir_ / "board.img";
  constexpr int kRounds = 400;
  constexpr uint32_t kWords = 16;
  auto writer = [&](uint16_t tag, uint32_t base) {
    std::vector<uint16_t> words(kWords);
    for (int round = 0; round < kRounds; round++) {
      for (uint32_t i = 0; i < kWords; i++) words[i] = static_cast<uint16_t>(tag | i | round << 4);
      uint32_t address = base + (round % 64) * kWords * 2;
      BridgeLockHold hold;
      UsbSingleWrite(kRegMemAddressHigh, 2, 2, address >> 16);
      UsbSingleWrite(kRegMemAddressLow, 2, 2, address & 0xFFFE);
      std::this_thread::yield();
      UsbBlockWrite(kRegMemPort, kWords * 2, 2, words.data());
    }
  };
  StartCapture();
  ASSERT_TRUE(UsbTransportOpen(&SimPipes, path.c_str(), 0, 2, kUsbInfo));
  pid_t child = fork();
  if (child == 0) {
    writer(0x8000, 0x80000);
    _exit(0);
  }
  writer(0x0000, 0x00000);
  int status = 0;
  waitpid(child, &status, 0);
  Captured();
  ASSERT_TRUE(WIFEXITED(status));

  // The last round of each writer at each of its 64 places reads back intact.
  const ChipState& chip = SimBoard()->chip;
  for (uint32_t base : {0x00000u, 0x80000u}) {
    uint16_t tag = base ? 0x8000 : 0;
    for (int slot = 0; slot < 64; slot++) {
      int round = slot + 64 * ((kRounds - 1 - slot) / 64);  // its last round at this slot
      for (uint32_t i = 0; i < kWords; i++) {
        uint32_t at = base + slot * kWords * 2 + i * 2;
        uint16_t word = static_cast<uint16_t>(chip.memory[at] | chip.memory[at + 1] << 8);
        ASSERT_EQ(word, static_cast<uint16_t>(tag | i | round << 4))
            << "base " << base << " slot " << slot << " word " << i;
      }
    }
  }
  UsbTransportClose();
}

}  // namespace
