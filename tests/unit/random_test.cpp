#include "lang/random.h"

#include <gtest/gtest.h>

#include <random>

namespace {

TEST(Random, StartsAtOneAndFollowsTheMinimalStandardSequence) {
  SeedRandom(1);
  EXPECT_EQ(NextRandom(), 16807u);
  EXPECT_EQ(NextRandom(), 282475249u);
  SeedRandom(1);
  std::minstd_rand0 reference(1);
  for (int i = 0; i < 10000; i++) ASSERT_EQ(NextRandom(), reference()) << "step " << i;
  SeedRandom(1);
}

TEST(Random, AgreesWithTheExactProductForSeedsAcrossTheRange) {
  for (uint32_t s : {1u, 2u, 0x7FFEu, 0x8000u, 0xFFFFu, 0x10000u, 0x12345678u, 0x7FFFFFFEu}) {
    uint64_t exact = (static_cast<uint64_t>(s) * 16807u) % 0x7FFFFFFFu;
    EXPECT_EQ(NextRandomState(s), exact) << "seed " << s;
  }
}

TEST(Random, ZeroStaysZero) {
  EXPECT_EQ(NextRandomState(0), 0u);
  SeedRandom(0);
  EXPECT_EQ(NextRandom(), 0u);
  SeedRandom(1);
}

}  // namespace
