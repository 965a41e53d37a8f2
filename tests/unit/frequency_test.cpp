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

TEST(StrToFreq, ReadsUnitsAndFractionsAndRefusesWhatIsNoFrequency) {
  constexpr uint32_t kUnset = 12345678;
  struct Row {
    const char* text;
    uint32_t defaultMultiplier;
    bool ok;
    uint32_t hz;
  } rows[] = {
      {"27.5 MHz", 1, true, 27500000},
      {"27.5mhz", 1, true, 27500000},
      {"12.3456 KHz", 1, true, 12345},  // digits past the thousandth are dropped
      {"5.5 Hz", 1000000, true, 5},
      {"32768", 1, true, 32768},
      {"  1.25  ", 1000000, true, 1250000},
      {".5 MHz", 1, true, 500000},
      {"27000000", 1, true, 27000000},
      {"1.5 GHz", 1, true, 1500000000},
      {"4294.967295 MHz", 1, true, 4294967000},
      // Too high for any clock: the largest frequency, never a wrapped one.
      {"5000 MHz", 1, true, 4294967295u},
      {"27 GHz", 1, true, 4294967295u},
      {"99999999999999999999 Hz", 1, true, 4294967295u},
      // No frequency at all.
      {"", 1000, false, kUnset},
      {"MHz", 1, false, kUnset},
      {"-1 Hz", 1, false, kUnset},
      {"nan MHz", 1, false, kUnset},
      {"3 THz", 1000, false, kUnset},
      {"40 MHz x", 1, false, kUnset},
      {"1.2.3", 1, false, kUnset},
  };
  for (const Row& row : rows) {
    uint32_t hz = kUnset;
    EXPECT_EQ(StrToFreq(row.text, row.defaultMultiplier, &hz), row.ok) << row.text;
    EXPECT_EQ(hz, row.hz) << row.text;
  }
}

}  // namespace
