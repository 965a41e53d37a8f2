// The access log: the /debug: text, the events recorded and the lines of the file written.
#include "hal/access_log.h"

#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "hal/access_hooks.h"
#include "hal/hal.h"
#include "hal/hal_state.h"
#include "test_support.h"

namespace {

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

struct ParseRow {
  const char* text;
  bool accepted;
  bool expand;
  const char* file;
};

TEST(DebugLogText, LettersThenAnOptionalFile) {
  const ParseRow rows[] = {
      {"rw", true, false, "debug.log"},
      {"W", true, false, "debug.log"},
      {"RWX:My.Log", true, true, "My.Log"},
      {"r:", true, false, "debug.log"},
      {"w:a:b", true, false, "a:b"},
      {"x", false, false, ""},
      {"", false, false, ""},
      {":x.log", false, false, ""},
      {"rq", false, false, ""},
      {"r w", false, false, ""},
  };
  for (const ParseRow& row : rows) {
    DebugLogSettings settings;
    EXPECT_EQ(ParseDebugLogText(row.text, &settings), row.accepted) << row.text;
    if (!row.accepted) continue;
    EXPECT_EQ(settings.expand, row.expand) << row.text;
    EXPECT_EQ(settings.file, row.file) << row.text;
  }
}

class AccessLog : public ::testing::Test {
 protected:
  void TearDown() override { EndAccessLog(); }
  // Starts the log with letters, records what record does and gives the file written.
  std::string Logged(const char* letters, const std::function<void()>& record) {
    EXPECT_TRUE(qvSetDebugLog((std::string(letters) + ":" + (dir_ / "t.log")).c_str()));
    record();
    EXPECT_TRUE(qvWriteDebugLog());
    return ReadText(dir_ / "t.log");
  }
  TempDir dir_;
};

struct LogRow {
  const char* name;
  const char* letters;
  std::function<void()> record;
  const char* lines;
};

TEST_F(AccessLog, EachEventHasItsLine) {
  static const uint16_t kWords[] = {1, 2, 3};
  static const uint8_t kBytes[] = {5, 5};
  const LogRow rows[] = {
      {"registers", "rw",
       [] {
         RecordAccess(EventFor(kEvRegRead8, 1), 0x41, 0x7);
         RecordAccess(EventFor(kEvRegWrite8, 2), 0x44, 0x8);
         RecordAccess(EventFor(kEvRegWrite8, 4), 0x48, 0x12345678);
         RecordAccess(EventFor(kEvSetBits8, 2), 0x180, 0x11);
         RecordAccess(EventFor(kEvClearBits8, 2), 0x180, 0x10);
         RecordAccess(EventFor(kEvModify8, 2), 0x180, 0x31);
       },
       "x8  0041 ' 7\nx16 0044 08\nx32 0048 12345678\nsetbits16 0180 11\nclearbits16 0180 10\n"
       "modify16 0180 31\n"},
      {"repeats fold; a fill of another count does not", "w",
       [] {
         for (int i = 0; i < 3; i++) RecordAccess(EventFor(kEvMemWrite8, 2), 0x100, 0x1234);
         RecordAccess(EventFor(kEvMemWrite8, 2), 0x100, 0x1234, 16);
         RecordAccess(EventFor(kEvMemWrite8, 2), 0x100, 0x1234, 16);
         RecordAccess(EventFor(kEvMemWrite8, 4), 0x100, 0xAB, 32);
       },
       "w16 0100 1234\nLast command repeated 2 more times.\nf16 0100 L0010h 1234\n"
       "Last command repeated 1 more time.\nf32 0100 L0020h AB\n"},
      {"blocks end after their last byte; block writes never fold", "w",
       [] {
         RecordBlock(EventFor(kEvMemBlockRead8, 1), 0x10, kBytes, 2);
         RecordBlock(EventFor(kEvMemBlockRead8, 2), 0x100, kWords, 8);
         RecordBlock(EventFor(kEvMemBlockWrite8, 4), 0x200, kWords, 4);
         RecordBlock(EventFor(kEvMemBlockWrite8, 4), 0x200, kWords, 4);
         RecordBlock(kEvRegBurstWrite8 + 1, 0x18C, kWords, 3);
       },
       "Read data 8 start addr: 0010, end addr: 0012\n"
       "Read data 16 start addr: 0100, end addr: 0110, \n"
       "Write data 32 start addr: 0200, end addr: 0210, \n"
       "Write data 32 start addr: 0200, end addr: 0210, \n"
       "Burst write 16 reg 018C, 3 times\n"},
      {"a rectangle ends after its last line", "w",
       [] { RecordRect(EventFor(kEvMemRectRead8, 2), 0x1000, 20, 8, 16); },
       "Read rect data 16 start addr: 1000, end addr: 1048, width: 0008, stride: 0010\n"},
      {"x: memory elements at their addresses, burst elements after the burst", "wx",
       [] {
         RecordBlock(EventFor(kEvMemBlockRead8, 2), 0x200, kWords, 3);
         RecordBlock(EventFor(kEvMemBlockWrite8, 2), 0x300, kWords, 1);
         RecordBlock(kEvRegBurstWrite8, 0x40, kBytes, 2);
         RecordRect(EventFor(kEvMemRectWrite8, 1), 0x10, 4, 2, 4);
       },
       "r16 0200 ' 01\nr16 0202 ' 02\nr16 0204 ' 03\nw16 0300 01\n"
       "Burst write 8 reg 0040, 2 times\nx8  0040 5\nLast command repeated 1 more time.\n"
       "Write rect data 8 start addr: 0010, end addr: 0014, width: 0002, stride: 0004\n"},
  };
  for (const LogRow& row : rows) {
    EXPECT_EQ(Logged(row.letters, row.record), row.lines) << row.name;
    EndAccessLog();
  }
}

TEST_F(AccessLog, AFullLogCountsWhatItLeftOut) {
  std::string text = Logged("w", [] {
    for (uint32_t i = 0; i < kMaxLogEvents + 5; i++) {
      RecordAccess(EventFor(kEvRegWrite8, 2), 0x44, i & 0xFFFF);
    }
  });
  EXPECT_EQ(text.substr(text.rfind("x16")),
            "x16 0044 423F\nLog full at 1000000 events: 5 more accesses were left out.\n");
}

TEST_F(AccessLog, IsWrittenOnceAndStopsRecording) {
  std::string first = Logged("w", [] { RecordAccess(EventFor(kEvRegWrite8, 2), 0x44, 1); });
  EXPECT_FALSE(AccessLogActive());
  EXPECT_FALSE(qvWriteDebugLog());
  EXPECT_EQ(ReadText(dir_ / "t.log"), first);
}

// The write trace of DEBUG goes on printing while the log records the same write.
TEST_F(AccessLog, TraceLinesKeepWorkingBesideTheLog) {
  Hal.dispatch.writeReg16 = [](uint32_t, uint32_t) {};
  bool previous = qvSetDebug(true);
  StartCapture();
  std::string text = Logged("w", [] { qvWriteReg16(0x44, 8); });
  EXPECT_EQ(Captured(), "   HAL [0044] W:0008\n");
  EXPECT_EQ(text, "x16 0044 08\n");
  qvSetDebug(previous);
  Hal = HalState{};
}

}  // namespace
