#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "chipdef/chipdef.h"

#include "live_model.h"

namespace {

using Settings = std::vector<std::pair<const char*, uint32_t>>;

std::string Report(ChipDef& m, size_t (ChipDef::*check)(char*, size_t), size_t size = 4096) {
  std::vector<char> buffer(size + 1, '#');
  const size_t length = (m.*check)(buffer.data(), size);
  EXPECT_LT(length, size);
  EXPECT_EQ(buffer[length], '\0');
  EXPECT_EQ(buffer[size], '#');  // nothing past the buffer
  return std::string(buffer.data(), length);
}

// Every rule of the chip, on a board that breaks it and on one that keeps it (user values).
TEST(Diagnose, EveryChipRuleFiresWhenBrokenAndOnlyThen) {
  const char* kOddPixel =
      "ERROR: If System Clock Divide Select (REG[0018h-b1:0]) != 1, Pixel Clock Divide cannot be "
      "odd.\n";
  const char* kSerial =
      "ERROR: If LCD Serial Interface Type (REG[0054h-b7:5]) == 7, LCD Serial Data Direction must "
      "be 0.\n";
  const char* kRotate =
      "ERROR: If Host Write Window Rotation (REG[0180h-b2:1]+CODE) == 90/270, HWC Memory "
      "Rectangular "
      "Write Vertical Size must be even.\n";
  const char* kPip2 =
      "ERROR: If PIP2 Overlay Enable (REG[0204h-b2]) is enabled, scaling filters must be "
      "disabled.\n";
  const char* kPip1 =
      "ERROR: If PIP1 Overlay Enable (REG[0204h-b1]) is enabled, scaling filters must be "
      "disabled.\n";
  struct Row {
    const char* product;
    Settings settings;
    std::string report;
  } rows[] = {
      {"77Q41", {{"sysclkdiv", 2}, {"pclkdiv", 3}}, kOddPixel},
      {"77Q41", {{"sysclkdiv", 2}, {"pclkdiv", 4}}, ""},
      {"77Q41", {{"sysclkdiv", 1}, {"pclkdiv", 3}}, ""},
      {"77K50", {{"lcdsertype", 7}, {"lcdserdir", 1}}, kSerial},
      {"77K50", {{"lcdsertype", 7}, {"lcdserdir", 0}}, ""},
      {"77K50", {{"lcdsertype", 5}, {"lcdserdir", 1}}, ""},
      {"77Q41", {{"rotate", 90}, {"memheight", 241}}, kRotate},
      {"77Q41", {{"rotate", 270}, {"memheight", 1}}, kRotate},
      {"77Q41", {{"rotate", 90}, {"memheight", 240}}, ""},
      {"77Q41", {{"rotate", 180}, {"memheight", 241}}, ""},
      {"77Q41", {{"pip2overlay", 1}, {"pip2vfilter", 1}}, kPip2},
      {"77Q41", {{"pip2overlay", 1}, {"pip2hfilter", 1}}, kPip2},
      {"77Q41", {{"pip2overlay", 0}, {"pip2hfilter", 1}, {"pip2vfilter", 1}}, ""},
      {"77Q41", {{"pip1overlay", 1}, {"pip1hfilter", 1}}, kPip1},
      {"77Q41", {{"pip1overlay", 1}, {"pip1vfilter", 1}}, kPip1},
      {"77Q41", {{"pip1overlay", 1}, {"pip2vfilter", 1}}, ""},
      {"77Q41",
       {{"mainscreaddr", 0x1000}, {"mainscrsaddr", 0x1002}},
       "ERROR: Main Window Scroll Start Address (REG[SPAN]) must be less than Main Window Scroll "
       "End Address\n"},
      {"77Q41",
       {{"mainscreaddr", 0x1000}, {"main1saddr", 0x2000}},
       "ERROR: Main1 Window Start Address (REG[SPAN]) must be less than Main Window Scroll End "
       "Address\n"},
      {"77Q41",
       {{"pip1screaddr", 0x1000}, {"pip1scrsaddr", 0x1004}},
       "ERROR: PIP1 Window Scroll Start Address (REG[SPAN]) must be less than PIP1 Window Scroll "
       "End Address\n"},
      {"77Q41",
       {{"pip1screaddr", 0x1000}, {"pip1saddr", 0x1002}},
       "ERROR: PIP1 Window Start Address (REG[SPAN]) must be less than PIP1 Window Scroll End "
       "Address\n"},
      {"77Q41",
       {{"pip2screaddr", 0x1000}, {"pip2scrsaddr", 0x2000}},
       "ERROR: PIP2 Window Scroll Start Address (REG[SPAN]) must be less than PIP2 Window Scroll "
       "End Address\n"},
      {"77Q41",
       {{"pip2screaddr", 0x1000}, {"pip2saddr", 0x2000}},
       "ERROR: PIP2 Window Start Address (REG[SPAN]) must be less than PIP2 Window Scroll End "
       "Address\n"},
      // Equal start and end addresses keep the rules.
      {"77Q41",
       {{"mainscreaddr", 0x1000},
        {"mainscrsaddr", 0x1000},
        {"main1saddr", 0x1000},
        {"pip1screaddr", 0x1000},
        {"pip1scrsaddr", 0x1000},
        {"pip1saddr", 0x1000},
        {"pip2screaddr", 0x1000},
        {"pip2scrsaddr", 0x1000},
        {"pip2saddr", 0x1000}},
       ""},
      // Several broken rules report in the table's order.
      {"77Q41",
       {{"pip1overlay", 1}, {"pip1hfilter", 1}, {"sysclkdiv", 4}, {"pclkdiv", 33}},
       std::string(kOddPixel) + kPip1},
  };
  for (const Row& row : rows) {
    LiveModel m;
    ASSERT_TRUE(m.SelectProduct(row.product));
    std::string trace = row.product;
    for (const auto& [key, value] : row.settings) {
      trace += std::string(" ") + key + "=" + std::to_string(value);
      ASSERT_TRUE(m.SetValue(key, value)) << trace;
    }
    SCOPED_TRACE(trace);
    EXPECT_EQ(Report(m, &ChipDef::Diagnose), row.report);
  }
}

TEST(Diagnose, ReservedSettingsAndStrayBits) {
  struct Row {
    uint32_t index, value;
    std::string report;
  } rows[] = {
      {0x0014, 0x0026, "WARNING: REG[0014h] bits 2:1, 5 should not be set (should be zero).\n"},
      {0x0202, 0x0008, "WARNING: REG[0202h] bit 3 should not be set (should be zero).\n"},
      {0x0238, 0x0001, "WARNING: REG[0238h] bit 0 should not be set (should be zero).\n"},
      {0x0018, 0x0003, ""},  // every bit there is described
      {0x0032, 0x0050,
       "WARNING: RGB Panel Data Width (REG[0032h-b6:4]) is set to RESERVED setting of 5.\n"},
      {0x0032, 0x0071,
       "WARNING: RGB Panel Data Width (REG[0032h-b6:4]) is set to RESERVED setting of 7.\n"
       "WARNING: REG[0032h] bit 0 should not be set (should be zero).\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::to_string(row.index) + " = " + std::to_string(row.value));
    LiveModel m;
    m.regs[row.index] = row.value;
    EXPECT_EQ(Report(m, &ChipDef::DiagnoseReserved), row.report);
  }
}

// The check must not move the chip on: data ports advance an address or a counter when read,
// and write-only registers give back nothing they were given.
TEST(Diagnose, NeverReadsDataPortsOrWriteOnlyRegisters) {
  LiveModel m;
  for (const RegisterRec& r : m.Registers()) m.regs[r.Index] = 0xFFFF;
  Report(m, &ChipDef::DiagnoseReserved);
  EXPECT_FALSE(m.widths.empty());
  for (uint32_t port : {0x0016u, 0x018Cu, 0x0268u, 0x02A8u, 0x0402u, 0x0502u}) {
    EXPECT_EQ(m.widths.count(port), 0u) << port;
  }
}

// A report too long for its buffer keeps whole messages and says how many it left out.
TEST(Diagnose, AFullReportIsCutAtAWholeLineAndCountsTheRest) {
  LiveModel m;
  for (const RegisterRec& r : m.Registers()) m.regs[r.Index] = 0xFFFF;
  const std::string whole = Report(m, &ChipDef::DiagnoseReserved, 65536);
  size_t messages = 0;
  for (char c : whole) messages += c == '\n';
  ASSERT_GT(whole.size(), 4096u);
  for (size_t size : {4096u, 200u}) {
    const std::string cut = Report(m, &ChipDef::DiagnoseReserved, size);
    const size_t last = cut.rfind('\n', cut.size() - 2) + 1;
    const auto kept = static_cast<size_t>(std::count(cut.begin(), cut.begin() + last, '\n'));
    EXPECT_EQ(whole.substr(0, last), cut.substr(0, last));
    EXPECT_EQ(cut.substr(last), "WARNING: " + std::to_string(messages - kept) +
                                    " more messages left out: the report is full.\n");
  }
  // Too small for the closing line: what fits of it, so the report still is not empty.
  EXPECT_EQ(Report(m, &ChipDef::DiagnoseReserved, 10), "WARNING: ");
  EXPECT_EQ(Report(m, &ChipDef::DiagnoseReserved, 1), "");
}

TEST(Diagnose, AConsistentBoardHasNothingToReport) {
  LiveModel live;
  EXPECT_EQ(Report(live, &ChipDef::Diagnose), "");
  EXPECT_EQ(Report(live, &ChipDef::DiagnoseReserved), "");
  ChipDef cold;
  EXPECT_EQ(Report(cold, &ChipDef::Diagnose), "");
}

}  // namespace
