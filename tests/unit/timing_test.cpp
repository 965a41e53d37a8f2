#include "platform/timing.h"

#include <gtest/gtest.h>

namespace {

uint64_t ElapsedNs(void (*delay)(uint32_t), uint32_t amount) {
  uint64_t start = MonotonicNanoseconds();
  delay(amount);
  return MonotonicNanoseconds() - start;
}

TEST(Delays, NeverShorterThanAsked) {
  for (uint32_t us : {1u, 7u, 500u, 1000u, 2500u}) {
    EXPECT_GE(ElapsedNs(DelayMicroseconds, us), us * 1000ull) << us << " us";
  }
  for (uint32_t ns : {1u, 100u, 50000u}) {
    EXPECT_GE(ElapsedNs(DelayNanoseconds, ns), ns) << ns << " ns";
  }
  EXPECT_GE(ElapsedNs(SleepMilliseconds, 3), 3000000ull);
}

TEST(Clock, MillisecondClockCountsFromFirstUse) {
  ASSERT_TRUE(CalibrateSystemClock());
  uint32_t first = MillisecondClock();
  DelayMicroseconds(12000);
  uint32_t second = MillisecondClock();
  EXPECT_GE(second - first, 11u);  // two readings rounded down each
}

TEST(Clock, TickPeriodRangeIsNinetyMegahertzToFourAndAHalfGigahertz) {
  EXPECT_FALSE(TickPeriodInRange(222));
  EXPECT_TRUE(TickPeriodInRange(223));
  EXPECT_TRUE(TickPeriodInRange(1000));
  EXPECT_TRUE(TickPeriodInRange(11110));
  EXPECT_FALSE(TickPeriodInRange(11111));
}

}  // namespace
