#include "hal/hcl_data.h"

#include <gtest/gtest.h>

#include "hal/hal.h"

namespace {

TEST(HclRecord, CrcIsCcittFalse) {
  const char* check = "123456789";
  EXPECT_EQ(Crc16CcittFalse(reinterpret_cast<const uint8_t*>(check), 9), 0x29B1);
}

// What the chip model's record tests and the banner's CRC check do not show already: the record's
// identity and flags, and its register list of 95 even indices with one delay after the clocks.
TEST(HclRecord, CompiledInValues) {
  EXPECT_STREQ(qvHclData.halId, "77Q41 HAL EXE");
  EXPECT_EQ(qvHclData.recordSize, kHclRecordSize);
  EXPECT_EQ(qvHclData.hclFlags, 0x401u);
  uint32_t firstPanelEntry = qvHclData.panelSequence[0];  // packed: read by value
  EXPECT_EQ(firstPanelEntry, 0u);
  size_t n = 0, delays = 0;
  for (; qvHclData.regTable[n].index != kRegTableEnd; n++) {
    EXPECT_EQ(qvHclData.regTable[n].index % 2, 0);
    if (qvHclData.regTable[n].index < 0xFFF0) continue;
    delays++;
    EXPECT_EQ(qvHclData.regTable[n].value, 1000);
    EXPECT_EQ(qvHclData.regTable[n - 1].index, 0x0014);  // right after the clock set-up
  }
  EXPECT_EQ(n, 95u);
  EXPECT_EQ(delays, 1u);
}

TEST(HclRecord, CrcCoversTheRecordFromTheChipIdOn) {
  QvHclData copy = qvHclData;
  copy.halId[0] = 'X';  // before the covered range
  EXPECT_EQ(ComputeHclCrc(copy), qvHclData.crc);
  copy.regTable[0].value ^= 1;
  EXPECT_NE(ComputeHclCrc(copy), qvHclData.crc);
}

// The whole banner is checked by the transcripts, at every start of the program.
TEST(HclRecord, BannerIsCutToItsBuffer) {
  char tiny[10];
  qvGetVersionInfo("VORN", "test utility", "none", tiny, sizeof tiny);
  EXPECT_STREQ(tiny, "77Q41VORN");
}

}  // namespace
