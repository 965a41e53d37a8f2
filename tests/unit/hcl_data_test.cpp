#include "hal/hcl_data.h"

#include <gtest/gtest.h>

#include <cstring>

#include "hal/hal.h"
#include "test_support.h"

namespace {

TEST(HclRecord, CrcIsCcittFalse) {
  const char* check = "123456789";
  EXPECT_EQ(Crc16CcittFalse(reinterpret_cast<const uint8_t*>(check), 9), 0x29B1);
}

TEST(HclRecord, CompiledInValues) {
  EXPECT_STREQ(qvHclData.halId, "77Q41 HAL EXE");
  EXPECT_STREQ(qvHclData.chipId, "77Q41");
  EXPECT_EQ(qvHclData.recordSize, kHclRecordSize);
  EXPECT_EQ(qvHclData.clki, 4000000u);
  EXPECT_EQ(qvHclData.memOffset, 0x200000u);
  EXPECT_EQ(qvHclData.hclFlags, 0x401u);
  EXPECT_EQ(std::memcmp(qvHclData.usbInfo, kUsbInfo, 6), 0);
  uint32_t firstPanelEntry = qvHclData.panelSequence[0];  // packed: read by value
  EXPECT_EQ(firstPanelEntry, 0u);
  EXPECT_EQ(qvHclData.crc, ComputeHclCrc(qvHclData));
}

TEST(HclRecord, RegisterTableHas95EntriesWithOneDelayAfterTheClocks) {
  size_t n = 0;
  size_t delays = 0;
  while (qvHclData.regTable[n].index != kRegTableEnd) {
    if (qvHclData.regTable[n].index >= 0xFFF0) {
      delays++;
      EXPECT_EQ(qvHclData.regTable[n].value, 1000);
      EXPECT_EQ(qvHclData.regTable[n - 1].index, 0x0014);  // right after the clock set-up
    }
    EXPECT_EQ(qvHclData.regTable[n].index % 2, 0);
    n++;
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

TEST(HclRecord, BannerNamesChipProgramBuildsAndCrcStatus) {
  char text[256];
  qvGetVersionInfo("VORN", "test utility", " $Revision: 87 $", text, sizeof text);
  std::string banner = text;
  EXPECT_EQ(banner.rfind("77Q41VORN - test utility - Build 87 [L:74]\n", 0), 0u);
  EXPECT_NE(banner.find("(OK)\n"), std::string::npos);
  char tiny[10];
  qvGetVersionInfo("VORN", "test utility", "none", tiny, sizeof tiny);
  EXPECT_STREQ(tiny, "77Q41VORN");
}

}  // namespace
