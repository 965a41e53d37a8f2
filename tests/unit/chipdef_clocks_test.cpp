#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "chipdef/chipdef.h"

#include "live_model.h"

namespace {

// Register fields of the clocks: 000C L-counter 14:8 and M-divider 5:0 (ratio field + 1), 0012
// bit 0 the bypass (1: CLKI), 0018 1:0 the SYSCLK ratio - 1, 0030 4:0 the pixel clock ratio - 2.
TEST(Clocks, FollowClkiThroughThePllAndTheDividers) {
  struct Row {
    uint32_t clki, pll, bypass, sysDiv, pixelDiv;
    uint32_t pllclk, inclk, sysclk, pclk;
  } rows[] = {
      {4000000, 0x0000, 0, 0, 0, 4000000, 4000000, 4000000, 2000000},
      {4000000, 0x0000, 1, 0, 0, 4000000, 4000000, 4000000, 2000000},
      // Every divider at its largest: M 64, L-counter 127, SYSCLK 4, pixel clock 33.
      {4000000, 0x7F3F, 0, 3, 31, 8000000, 8000000, 2000000, 60606},
      {4000000, 0x7F3F, 1, 3, 31, 8000000, 4000000, 1000000, 30303},
      // The reference is divided first, in whole hertz.
      {390000, 0x133F, 0, 0, 0, 6093 * 20, 6093 * 20, 6093 * 20, 6093 * 10},
      // 120 MHz times 128 is beyond 32 bits: the largest frequency, never a wrapped one.
      {120000000, 0x7F00, 0, 0, 0, UINT32_MAX, UINT32_MAX, UINT32_MAX, UINT32_MAX / 2},
      {120000000, 0x7F00, 1, 1, 0, UINT32_MAX, 120000000, 60000000, 30000000},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::to_string(row.clki) + " Hz, PLL register " + std::to_string(row.pll));
    LiveModel m;
    ASSERT_TRUE(m.SetFieldValue("clki", row.clki));
    m.regs[0x000C] = row.pll;
    m.regs[0x0012] = row.bypass;
    m.regs[0x0018] = row.sysDiv;
    m.regs[0x0030] = row.pixelDiv;
    EXPECT_EQ(m.GetValue("clki"), row.clki);
    EXPECT_EQ(m.GetValue("pllclk"), row.pllclk);
    EXPECT_EQ(m.GetValue("inclk"), row.inclk);
    EXPECT_EQ(m.GetValue("sysclk"), row.sysclk);
    EXPECT_EQ(m.GetValue("pclk"), row.pclk);
  }
}

TEST(Clocks, OnlyClkiAndThePllHaveLimitsOfTheirOwn) {
  ChipDef m;
  EXPECT_EQ(m.GetMin("clki"), 390000u);
  EXPECT_EQ(m.GetMax("clki"), 120000000u);
  EXPECT_EQ(m.GetMin("pllclk"), 0u);
  EXPECT_EQ(m.GetMax("pllclk"), 120000000u);
  EXPECT_EQ(m.GetMax("sysclk"), UINT32_MAX);
  EXPECT_FALSE(m.FeatureExists("serclk"));  // the 77K50's serial panel clock
  EXPECT_EQ(m.GetFieldValue("pllclksrc"), 0u);
  EXPECT_STREQ(m.GetValueText("pclksrc", true), "SYSCLK");
}

TEST(Clocks, ClkiOutsideItsLimitsIsRefusedAndKeepsTheRecord) {
  ChipDef m;
  for (uint32_t hz : {0u, 389999u, 120000001u, UINT32_MAX}) {
    m.ClearRefusal();
    EXPECT_FALSE(m.SetFieldValue("clki", hz)) << hz;
    EXPECT_EQ(m.Refusal(), "CLKI must be between 0.390 MHz and 120.000 MHz.");
    EXPECT_FALSE(m.SetValueText("clki", "121 MHz"));
    EXPECT_EQ(uint32_t{m.Record().clki}, 4000000u);
  }
  for (uint32_t hz : {390000u, 120000000u}) {
    EXPECT_TRUE(m.SetFieldValue("clki", hz));
    EXPECT_EQ(uint32_t{m.Record().clki}, hz);
  }
  // The clocks derived from it follow their registers and cannot be set.
  EXPECT_FALSE(m.SetFieldValue("sysclk", 1000000));
  EXPECT_EQ(m.Refusal(), "sysclk follows its source clock and divider: set those instead.");
}

// The PLL steps by CLKI / M-divider; a request between steps is rounded down, one outside the
// steps the L-counter and the chip's 120 MHz allow is refused and changes nothing.
TEST(Clocks, SettingThePllPicksTheLCounter) {
  struct Row {
    uint32_t mDivider;  // the register field: the ratio - 1
    uint32_t hz;
    bool ok;
    uint32_t lcounter;
  } rows[] = {
      {0, 40000000, true, 9},   {0, 41999999, true, 9},   {0, 4000000, true, 0},
      {0, 120000000, true, 29}, {0, 120000001, false, 5}, {0, 512000000, false, 5},
      {0, 3999999, false, 5},   {0, 0, false, 5},         {63, 8000000, true, 127},
      {63, 8062500, false, 5},  {63, 62500, true, 0},     {5, 39999999, true, 59},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::to_string(row.hz) + " Hz with M-divider field " +
                 std::to_string(row.mDivider));
    LiveModel m;
    m.regs[0x000C] = 0x0500 | row.mDivider;
    m.ClearRefusal();
    EXPECT_EQ(m.SetFieldValue("pllclk", row.hz), row.ok);
    EXPECT_EQ(m.regs[0x000C], (row.lcounter << 8) | row.mDivider);
    EXPECT_EQ(m.Refusal().empty(), row.ok) << m.Refusal();
  }
  LiveModel m;
  EXPECT_FALSE(m.SetFieldValue("pllclk", 130000000));
  EXPECT_EQ(m.Refusal(),
            "The PLL can be set from 4.000 MHz to 120.000 MHz, in steps of 4.000 MHz (CLKI / "
            "M-divider).");
}

}  // namespace
