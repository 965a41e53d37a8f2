// Register breakpoints: the /break: list, which accesses stop, and the stop prompt.
#include "hal/breakpoints.h"

#include <string>

#include <gtest/gtest.h>

#include "hal/access_hooks.h"
#include "hal/hal.h"
#include "hal/hal_state.h"
#include "test_support.h"

namespace {

// The keys the stop prompt reads, then the end of input.
const char* Keys = "";
int NextKey() {
  return *Keys != '\0' ? static_cast<unsigned char>(*Keys++) : -1;
}

class Breakpoints : public ::testing::Test {
 protected:
  void SetUp() override {
    qvClearBreakpoints();
    SetBreakKeyReader(NextKey);
    Keys = "";
  }
  void TearDown() override {
    qvClearBreakpoints();
    SetBreakKeyReader(nullptr);
    Hal = HalState{};
  }
};

struct ListRow {
  const char* text;
  uint32_t error;  // 0: accepted
};

// The reasons the start-up transcripts do not show.
TEST_F(Breakpoints, ListsAreAcceptedOrRefusedWithTheirReason) {
  const ListRow rows[] = {
      {"bw:reg[0016]", 0},
      {"aw:reg16[0100-b3]==1", 0},
      {"BR:REG32[0040H]", 0},
      {"bw:reg8[0041-b7:4]==F", 0},
      {"bw:reg[0040--0050];;ar:reg32[0100--0108]", 0},
      {"", 0},
      {"bw:reg[0100--0103]", kHalBreakAlign},
      {"bw:reg32[0042]", kHalBreakAlign},
      {"bw:reg16[0100-b16]", kHalBreakMask},
      {"bw:reg32[0100-b32]", kHalBreakMask},
      {"bw", kHalBreakFormat},
      {"bw:reg[]", kHalBreakFormat},
      {"bw:reg[123456789]", kHalBreakFormat},
      {"bw:reg[0100-b3:5]", kHalBreakFormat},
      {"bw:reg[0100-c3]", kHalBreakFormat},
      {"bw:reg[0108--0100]", kHalBreakFormat},
      {"bw:reg[0100]x", kHalBreakMatch},
      {"bw:reg[0100]==", kHalBreakMatch},
      {"bw:reg[0100]==10000", kHalBreakMatch},    // wider than the register
      {"bw:reg[0100-b3]==2", kHalBreakMatch},     // wider than the bit
      {"bw:reg[0100--0102]==1", kHalBreakMatch},  // a range has no value
      {"br:reg[0100]==1", kHalBreakMatch},        // not known before the read
      {"b", kHalBreakAccess},
  };
  for (const ListRow& row : rows) {
    qvClearBreakpoints();
    Hal.lastError = 0;
    EXPECT_EQ(qvSetBreakpoints(row.text), row.error == 0) << row.text;
    EXPECT_EQ(qvGetLastError(nullptr, 0), row.error) << row.text;
  }
}

struct StopRow {
  const char* list;
  AccessKind kind;
  HookTiming timing;
  uint32_t index;
  uint32_t width;
  uint32_t value;
  const char* stop;  // the entry's line, or nullptr when the access must not stop
};

TEST_F(Breakpoints, StopOnlyWhereTheEntryMeetsTheAccess) {
  const StopRow rows[] = {
      {"bw:reg[0016]", kAccessWrite, kHookBefore, 0x16, 2, 0,
       "Before write break: Reg: 0014 Mask: FFFF0000\n"},
      {"bw:reg[0016]", kAccessWrite, kHookBefore, 0x14, 4, 0,
       "Before write break: Reg: 0014 Mask: FFFF0000\n"},
      {"bw:reg[0016]", kAccessWrite, kHookBefore, 0x17, 1, 0,
       "Before write break: Reg: 0014 Mask: FFFF0000\n"},
      {"bw:reg[0016]", kAccessModify, kHookBefore, 0x16, 2, 0,
       "Before write break: Reg: 0014 Mask: FFFF0000\n"},
      {"bw:reg[0016]", kAccessWrite, kHookBefore, 0x15, 1, 0, nullptr},
      {"bw:reg[0016]", kAccessWrite, kHookAfter, 0x16, 2, 0, nullptr},
      {"bw:reg[0016]", kAccessRead, kHookBefore, 0x16, 2, 0, nullptr},
      {"aw:reg16[0100-b3]==1", kAccessWrite, kHookAfter, 0x100, 2, 0x8,
       "After write break: Reg: 0100 Mask: 0008 Value: 0001\n"},
      {"aw:reg16[0100-b3]==1", kAccessWrite, kHookAfter, 0x100, 2, 0x7, nullptr},
      {"bw:reg16[0100-b3]==0", kAccessModify, kHookBefore, 0x100, 2, 0, nullptr},
      {"bw:reg[0046-b3]", kAccessWrite, kHookBefore, 0x46, 2, 0,
       "Before write break: Reg: 0044 Mask: 80000\n"},
      {"ar:reg16[0044]==1234", kAccessRead, kHookAfter, 0x42, 4, 0x12340000,
       "After read break: Reg: 0044 Mask: FFFF Value: 1234\n"},
      {"ar:reg16[0044]==1234", kAccessRead, kHookAfter, 0x42, 4, 0x00001234, nullptr},
      {"ar:reg8[0040--0043]", kAccessRead, kHookAfter, 0x3F, 2, 0,
       "After read break: Reg: 0040 - 0043\n"},
      {"ar:reg8[0040--0043]", kAccessRead, kHookAfter, 0x3C, 4, 0, nullptr},
      {"ar:reg16[0040--0042]", kAccessRead, kHookAfter, 0x43, 1, 0,
       "After read break: Reg: 0040 - 0043\n"},
  };
  for (const StopRow& row : rows) {
    qvClearBreakpoints();
    ASSERT_TRUE(qvSetBreakpoints(row.list)) << row.list;
    Keys = "r";
    StartCapture();
    BreakpointHook(row.index, row.kind, row.timing, row.value, row.width);
    std::string shown = Captured();
    char current[40];
    std::snprintf(current, sizeof current, "\nCurrent Register: %04X\n", row.index);
    std::string expected =
        row.stop == nullptr ? "" : current + std::string(row.stop) + "Command: r\n\n";
    EXPECT_EQ(shown, expected) << row.list << " at " << std::hex << row.index;
  }
}

TEST_F(Breakpoints, StepModeStopsAtEveryAccessUntilRun) {
  ASSERT_TRUE(qvSetBreakpoints("bw:reg[0044]"));
  Keys = "?xs";
  StartCapture();
  BreakpointHook(0x44, kAccessWrite, kHookBefore, 1, 2);
  BreakpointHook(0x80, kAccessRead, kHookAfter, 1, 2);  // no entry: the step stops it
  BreakpointHook(0x80, kAccessRead, kHookAfter, 1, 2);  // the end of input ran on
  EXPECT_EQ(Captured(),
            "\nCurrent Register: 0044\nBefore write break: Reg: 0044 Mask: FFFF\n"
            "Command: \nS - step mode\nR - run until next breakpoint\n\nCommand: \as\n\n"
            "\nCurrent Register: 0080\nCommand: r\n\n");
}

}  // namespace
