// The display-memory bounds of the transfer commands: the size from the chip model, units and
// the span of a rectangle.
#include "interp/memory_range.h"

#include <string>

#include <gtest/gtest.h>

namespace {

TEST(MemoryRange, EndsAtTheChipModelsDisplayMemory) {
  EXPECT_EQ(DisplayMemorySize(), 0x100000u);
  struct Row {
    uint32_t start;
    uint64_t length;
    uint32_t unit;
    const char* error;  // empty: accepted
  };
  const Row rows[] = {
      {0, 0x100000, 1, ""},
      {0xFFFFE, 2, 2, ""},
      {0xFFFFE, 4, 2,
       "ERROR: Range 000FFFFEh-00100001h is beyond the end of display memory (100000h bytes).\n"},
      {0xFFFFFFFF, 1, 1,
       "ERROR: Range FFFFFFFFh-FFFFFFFFh is beyond the end of display memory (100000h bytes).\n"},
      {0x101, 2, 2, "ERROR: Address 00000101h isn't a multiple of the 16-bit unit.\n"},
      {0x102, 4, 4, "ERROR: Address 00000102h isn't a multiple of the 32-bit unit.\n"},
      {0x100000, 0, 1, ""},
  };
  for (const Row& r : rows) {
    testing::internal::CaptureStdout();
    bool ok = CheckDisplayRange(r.start, r.length, r.unit);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), r.error) << r.start;
    EXPECT_EQ(ok, r.error[0] == '\0') << r.start;
  }
}

TEST(MemoryRange, RectangleSpans) {
  EXPECT_EQ(RectangleSpan(0, 8, 16), 0u);
  EXPECT_EQ(RectangleSpan(8, 8, 16), 8u);    // one whole line
  EXPECT_EQ(RectangleSpan(20, 8, 16), 36u);  // two lines and four bytes of the third
  EXPECT_EQ(RectangleSpan(18, 8, 4), 12u);   // lines wider than the stride: the second ends last
}

}  // namespace
