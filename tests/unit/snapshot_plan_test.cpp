#include <gtest/gtest.h>

#include <vector>

#include "vornreg/snapshot.h"

namespace {

TEST(SnapshotPlan, EveryRegisterOnceWithWhatHappensToIt) {
  const std::vector<PlanRow> plan = SnapshotPlan();
  for (size_t i = 1; i < plan.size(); i++) EXPECT_LT(plan[i - 1].index, plan[i].index);
  auto row = [&](uint32_t index) {
    for (const PlanRow& r : plan) {
      if (r.index == index) return r;
    }
    ADD_FAILURE() << std::hex << index << " is not in the plan";
    return PlanRow();
  };
  EXPECT_EQ(row(0x000C).skip, nullptr);  // the PLL, whatever SAFETEST says
  EXPECT_EQ(row(0x0014).delayUs, 1000u);
  EXPECT_EQ(row(0x0014).delayName, "PLL Register Programming Delay (in us)");
  EXPECT_STREQ(row(0x0016).skip, "software reset: writing it resets every register");
  EXPECT_STREQ(row(0x0188).skip, "host write window size: the state of a transfer");
  EXPECT_EQ(row(0x0180).skip, nullptr);  // the host interface's set-up stays
  EXPECT_EQ(row(0x0402).lut, 2);
  EXPECT_EQ(row(0x0502).lut, 1);
  EXPECT_STREQ(SkipReason(0x0999), kNoSuchRegister);
  // DISPLAY_MODE_0: the LCD reset and the LUT address clears are actions, saved as 0.
  EXPECT_EQ(ActionBits(0x0200), 0x0083u);
  EXPECT_EQ(SetupBits(0x0014), 0xFF3Fu);  // VNDP and the memory power state are status
  EXPECT_EQ(UncoveredBits(0x0014), 0x0026u);
}

}  // namespace
