// The display windows through the chip model (cold mode: the configuration record's registers).
#include "display/windows.h"

#include <gtest/gtest.h>

#include "chipdef/chipdef.h"
#include "display/pixel_format.h"

namespace {

TEST(DisplayWindows, StartAddressesAndFormatsFollowTheFeatures) {
  ChipDef& chip = ChipModel();
  EXPECT_EQ(GetWindowStartAddress(kMain2), chip.GetValue("main2saddr"));
  EXPECT_EQ(GetWindowStartAddress(kPip2), chip.GetValue("pip2saddr"));
  EXPECT_EQ(GetWindowStartAddress(4), 0u);
  uint32_t hwc = chip.GetValue("hwc");
  uint32_t type = chip.GetValue("datatype");
  ASSERT_TRUE(chip.SetValue("hwc", 0));
  for (int window = kMain1; window <= kPip2; window++) {
    EXPECT_EQ(GetWindowPixelFormat(window), FindPixelFormat("R565.RGB")) << window;
  }
  ASSERT_TRUE(chip.SetValue("hwc", 1));
  ASSERT_TRUE(chip.SetValue("datatype", 0));
  EXPECT_EQ(GetWindowPixelFormat(kMain1), FindPixelFormat("R565.RGB"));
  EXPECT_EQ(GetWindowPixelFormat(kPip1), FindPixelFormat("Y422.YU-YV"));
  ASSERT_TRUE(chip.SetValue("datatype", 1));  // the 77Q41's bit 7: data type 4
  EXPECT_EQ(HostDataType(), 4u);
  EXPECT_EQ(GetWindowPixelFormat(kPip2), FindPixelFormat("R565.RGB"));
  EXPECT_EQ(GetWindowPixelFormat(-1), -1);
  EXPECT_EQ(DataTypeFormat(3), FindPixelFormat("Y420.Y1Y0-Y3Y2@VU"));
  EXPECT_EQ(DataTypeFormat(5), -1);
  chip.SetValue("hwc", hwc);
  chip.SetValue("datatype", type);
}

}  // namespace
