#include "chipdef/display_memory.h"

#include <gtest/gtest.h>

namespace {

TEST(DisplayMemory, TheConfiguredChipHasOneMebibyte) {
  EXPECT_EQ(DisplayMemorySize(), 0x100000u);
}

// A range is valid when it starts at a multiple of its unit and ends inside display memory.
TEST(DisplayMemory, RangesMustStayInsideAndUnitsAligned) {
  struct Row {
    uint32_t address;
    uint64_t bytes;
    uint32_t unit;
    bool valid;
  };
  const Row rows[] = {
      {0, 0, 1, true},
      {0, 0x100000, 1, true},
      {0, 0x100001, 1, false},
      {0xFFFFF, 1, 1, true},
      {0xFFFFF, 2, 1, false},
      {0x100000, 0, 1, false},
      {0xFFFFFFFF, 1, 1, false},
      {0xFFFFE, 2, 2, true},
      {3, 2, 2, false},
      {0xFFFFC, 4, 4, true},
      {0xFFFFE, 4, 2, false},
      {2, 4, 4, false},
      {0x10, 0xFFFFFFFFFull, 1, false},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(DisplayRangeValid(row.address, row.bytes, row.unit), row.valid)
        << std::hex << row.address << " " << row.bytes << " " << row.unit;
  }
}

}  // namespace
