#include "base/frequency.h"

#include <gtest/gtest.h>

namespace {

TEST(FreqToStr, UnitFollowsTheRangeWithoutRounding) {
  EXPECT_STREQ(FreqToStr(27000000), "27.000 MHz");
  EXPECT_STREQ(FreqToStr(100001), "0.100 MHz");
  EXPECT_STREQ(FreqToStr(100000), "100.000 KHz");
  EXPECT_STREQ(FreqToStr(1001), "1.001 KHz");
  EXPECT_STREQ(FreqToStr(1000), "1000 Hz");
  EXPECT_STREQ(FreqToStr(0), "0 Hz");
  EXPECT_STREQ(FreqToStr(4294967295u), "4294.967 MHz");
}

TEST(StrToFreq, UnitsAndFractions) {
  EXPECT_EQ(StrToFreq("27.5 MHz", 1), 27500000u);
  EXPECT_EQ(StrToFreq("27.5mhz", 1), 27500000u);
  EXPECT_EQ(StrToFreq("12.3456 KHz", 1), 12345u);
  EXPECT_EQ(StrToFreq("5.5 Hz", 1000000), 5u);
  EXPECT_EQ(StrToFreq("32768", 1), 32768u);
  EXPECT_EQ(StrToFreq("  1.25", 1000000), 1250000u);
  EXPECT_EQ(StrToFreq("3 GHz", 1000), 3000u);  // an unknown unit keeps the default
  EXPECT_EQ(StrToFreq("", 1000), 0u);
}

}  // namespace
