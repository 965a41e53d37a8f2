// Labels, register pictures, feature descriptions and the stray-bit warning of the chip model,
// on the built-in document and on small documents of the tests' own.
#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "chipdef/chipdef.h"
#include "chipdef_doc_model.h"
#include "live_model.h"

namespace {

constexpr uint32_t kColumns = 80;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string Picture(ChipDefBase& m, uint32_t index, uint32_t columns = kColumns,
                    bool brief = false) {
  std::string out;
  m.RegisterPicture(index, &out, false, " ", "\n", columns, brief);
  return out;
}

std::string Description(ChipDefBase& m, const char* key) {
  std::string out = "left over";
  m.FeatureDescription(key, &out, "", "\n", false, kColumns);
  return out;
}

TEST(FeatureLabel, FlagsChooseTheParts) {
  ChipDef m;
  const struct {
    const char* key;
    uint32_t flags;
    const char* label;
  } rows[] = {
      {"pclkdiv", 19, "Pixel Clock Divide Select (REG[0030h-b4:0])"},
      {"pclkdiv", 3, "Pixel Clock Divide Select (REG[0030h] Bits 4:0)"},
      {"pclkdiv", 2, "REG[0030h] Bits 4:0"},
      {"pclkdiv", 7, "Pixel Clock Divide Select Bits 4:0"},
      {"pclkdiv", 32, "FEATURE_PCLKDIV"},
      {"pclkdiv", 33, "FEATURE_PCLKDIV"},
      {"hlock", 18, "REG[0010h-b15]"},
      {"hlock", 2, "REG[0010h] Bit 15"},
      {"hlock", 20, "b15"},
      {"softreset", 26, "REG[0016h] [WO]"},
      {"softreset", 9, "Software Reset [WRITEONLY]"},
      {"softreset", 4, "Bits 15:0"},
      {"cnf0", 24, "[RO]"},
      {"lcdlutaddrclr", 9, "LCD Look-Up Table Address Clear [WRITEONLY,RESERVED]"},
      {"lcdlutaddrclr", 25, "LCD Look-Up Table Address Clear [WO,RSVD]"},
      {"saddr", 18, "REG[SPAN]+CODE"},
      {"mirror", 18, "REG[0180h-b3]+CODE"},
      {"clki", 19, "CLKI Input Frequency (CODE)"},
      {"clki", 4, ""},
      {"rsvd14b15to8", 27, "Reserved (REG[0014h-b15:8]) [RSVD]"},
      {"rsvd26eb12", 18, "REG[026Eh-b12]"},
      {"main1saddrlsb", 1, "Main1 Window Start Address Low Bits"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(std::string(r.key) + " " + std::to_string(r.flags));
    EXPECT_STREQ(m.FeatureLabel(r.key, r.flags), r.label);
  }
}

TEST(RegisterLabel, FlagsChooseTheParts) {
  ChipDef m;
  const struct {
    uint32_t index;
    uint32_t flags;
    const char* label;
  } rows[] = {
      {0x30, 3, "REG[0030h] LCD Pixel Clock Setting Register"},
      {0x30, 1, "LCD Pixel Clock Setting Register"},
      {0x30, 32, "REG0030_LCD_CLOCK"},
      {0x16, 10, "REG[0016h] [WRITEONLY]"},
      {0x18E, 26, "REG[018Eh] [RO]"},
      {0xFFFC, 32, "REGFLAG_DELAY"},
      {0x29, 3, "UNKNOWN"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.index);
    EXPECT_STREQ(m.RegisterLabel(r.index, false, r.flags), r.label);
  }
  uint32_t first = 0;
  ASSERT_TRUE(m.GetRegListIndex(0, &first));
  EXPECT_EQ(std::string(m.RegisterLabel(0, true, 3)), m.RegisterLabel(first, false, 3));
}

// A span whose parts have neither name nor description: both come from the span.
TEST(SpanPartText, NamelessPartsAreNamedAfterTheirSpan) {
  DocModel m(Features(R"(<FEATURE KEYNAME="win" NAME="Window Start" TYPE="addr" REG="span"/>
<FEATURE KEYNAME="winLSB" TYPE="numb" REG="0010" MASK="FFFE"/>
<FEATURE KEYNAME="winISB" TYPE="numb" REG="0012" MASK="00FF"/>
<FEATURE KEYNAME="winMSB" TYPE="numb" REG="0014" MASK="000F"/>
<FEATURE KEYNAME="told" NAME="Told" DESC="What it does." TYPE="numb" REG="0016" MASK="0001"/>
<FEATURE KEYNAME="plain" NAME="Plain" TYPE="numb" REG="0016" MASK="0002"/>
)"));
  EXPECT_STREQ(m.FeatureLabel("winlsb", 1), "Window Start (LSB)");
  EXPECT_STREQ(m.FeatureLabel("winisb", 19), "Window Start (ISB) (REG[0012h-b7:0])");
  EXPECT_STREQ(m.SpanPartText("winlsb"), "The Least Significant Bits (LSB) of the Window Start.");
  EXPECT_STREQ(m.SpanPartText("winisb"),
               "The Intermediate Significant Bits (ISB) of the Window Start.");
  EXPECT_STREQ(m.SpanPartText("winmsb"), "The Most Significant Bits (MSB) of the Window Start.");
  EXPECT_STREQ(m.SpanPartText("told"), "What it does.");
  EXPECT_STREQ(m.SpanPartText("plain"), "");
  EXPECT_STREQ(m.SpanPartText("win"), "");
}

TEST(StrayBitWarning, NamesEveryRunOfStrayBits) {
  ChipDef m;
  const struct {
    uint32_t index, bits;
    const char* text;
  } rows[] = {
      {0x14, 0x118, "WARNING: REG[0014h] bits 4:3, 8 should not be set (should be zero).\n"},
      {0x202, 0x1, "WARNING: REG[0202h] bit 0 should not be set (should be zero).\n"},
      {0x202, 0x3, "WARNING: REG[0202h] bits 1:0 should not be set (should be zero).\n"},
      {0x202, 0x81, "WARNING: REG[0202h] bits 0, 7 should not be set (should be zero).\n"},
      {0x10, 0x80000000, "WARNING: REG[0010h] bit 31 should not be set (should be zero).\n"},
      {0x10, 0xFFFFFFFF, "WARNING: REG[0010h] bits 31:0 should not be set (should be zero).\n"},
      {0x10, 0, ""},
  };
  for (const auto& r : rows) EXPECT_EQ(m.StrayBitWarning(r.index, r.bits), r.text);
}

// At 80 columns a row holds one byte (the help transcript shows register 30h whole); wider
// consoles fit both bytes in one row.
TEST(RegisterPicture, RowsHoldWholeBytesOfTheColumns) {
  ChipDef m;
  const std::vector<std::string> wide = Lines(Picture(m, 0x30, 160));
  std::string ruler = " +";
  for (int i = 0; i < 16; i++) ruler += "--------+";
  EXPECT_EQ(wide[2], ruler);
  EXPECT_EQ(wide[3],
            " |::::::::|::::::::|::::::::|::::::::|::::::::|RESERVED                  |"
            "::::::::|::::::::|::::::::|pclkdivlist                                 |");
  EXPECT_EQ(wide[5].substr(0, 20), " +---15---+---14---+");
  EXPECT_EQ(wide[6], "");
}

TEST(RegisterPicture, ARegisterWithoutFieldsIsAllColons) {
  ChipDef m;
  const std::vector<std::string> lines = Lines(Picture(m, 0xFFFC));
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_EQ(lines[0], " REG[FFFCh] PLL Register Programming Delay (in us)");
  EXPECT_EQ(lines[1], " Current=N/A, Default=0000h.");  // no chip register behind it
  std::string colons = " |";
  for (int i = 0; i < 8; i++) colons += "::::::::|";
  EXPECT_EQ(lines[3], colons);
  EXPECT_EQ(lines[7], colons);
}

TEST(RegisterPicture, NoRegisterGivesExactlyTheMessage) {
  ChipDef m;
  std::string out = "before ";
  m.RegisterPicture(0x29, &out, false, " ", "\n", kColumns, false);
  EXPECT_EQ(out, "before REG[0029h] does not exist for this chip.");
}

TEST(RegisterPicture, DataPortsAreNeverRead) {
  LiveModel m;
  for (uint32_t port : {0x18Cu, 0x268u, 0x2A8u, 0x402u, 0x502u}) {
    SCOPED_TRACE(port);
    EXPECT_TRUE(m.IsDataPort(port));
    EXPECT_NE(Picture(m, port).find("Current=N/A, Default=0000h."), std::string::npos);
    Picture(m, port, kColumns, true);
    std::string described;
    m.FeatureDescription(m.FeatureAtBit(port, 0), &described, "", "\n", false, kColumns);
    EXPECT_EQ(m.widths.count(port), 0u);
  }
  std::set<uint32_t> ports;
  for (const RegisterRec& r : m.Registers()) {
    if (m.IsDataPort(r.Index)) ports.insert(r.Index);
  }
  EXPECT_EQ(ports, (std::set<uint32_t>{0x18C, 0x268, 0x2A8, 0x402, 0x502}));
  // Their counters are ordinary registers.
  Picture(m, 0x500);
  EXPECT_EQ(m.widths.count(0x500), 1u);
}

TEST(RegisterPicture, BriefFormListsTheFieldsWithTheirValues) {
  LiveModel m;
  m.regs[0x10] = 0x8003;
  const std::vector<std::string> lines = Lines(Picture(m, 0x10, kColumns, true));
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[0], " REG[0010h] PLL Configuration Register 2 (Lock, Doubler and Oscillator)");
  EXPECT_EQ(lines[1], "        b15 PLL Lock Detect Enable = True");
  EXPECT_EQ(lines[6], "       b4:0 PLL Loop Filter Capacitor Select = 3");
}

TEST(RegisterPicture, ALowPartDescribesItsSpanToo) {
  ChipDef m;
  const std::string picture = Picture(m, 0x278);
  const size_t part = picture.find("PIP1 Window Start Address Low Bits");
  const size_t span = picture.find("pip1saddr = (REG[0278h-b15:1] + REG[027Ah-b3:0]<<15) * 2");
  EXPECT_NE(part, std::string::npos);
  EXPECT_NE(span, std::string::npos);
  EXPECT_LT(part, span);
}

TEST(FeatureDescription, NumbersShowTheirFormulaAndValue) {
  LiveModel m;
  m.regs[0x42] = 0x9F;
  EXPECT_EQ(Description(m, "hdp"),
            "Horizontal Display Period\n"
            "Visible pixels per line (even). The display period and its start must fit\n"
            "within ht.\n"
            "  hdp = (REG[0042h-b8:0] + 1) * 2\n"
            "  hdp = (9Fh + 1) * 2\n"
            "  hdp = 140h (320 pixels)");
  EXPECT_EQ(Description(m, "clki").substr(0, 22), "CLKI Input Frequency\nF");
  EXPECT_NE(Description(m, "clki").find("\n  clki = CODE\n  clki = "), std::string::npos);
}

TEST(FeatureDescription, ListsShowTheirReadAndWriteNames) {
  LiveModel m;
  m.regs[0x192] = 0x10;
  EXPECT_EQ(Description(m, "memwritestatus"),
            "Memory Write Complete Status\n"
            "Latched memory write complete event. Writing 1 clears it.\n"
            "  memwritestatus = REG[0192h-b4]\n"
            "  memwritestatus = 1h (Occurred)\n"
            "Possible Values:\n"
            "  0h [ON READ]  = Not occurred\n"
            "  1h [ON READ]  = Occurred\n"
            "  1h [ON WRITE] = Clear status");
}

// Every feature is described, and nothing the model draws runs past the console.
TEST(BuiltInTexts, EveryFeatureIsDescribedWithinTheConsoleWidth) {
  ChipDef m;
  for (const char* product : {"77Q41", "77K50"}) {
    ASSERT_TRUE(m.SelectProduct(product));
    const char* key = nullptr;
    for (uint32_t n = 0; m.GetNthFeature(n, &key); n++) {
      SCOPED_TRACE(std::string(product) + " " + key);
      EXPECT_STRNE(m.SpanPartText(key), "");
      EXPECT_STRNE(m.FeatureLabel(key, LABEL_NAME), "");
      for (bool overlap : {false, true}) {
        std::string text;
        m.FeatureDescription(key, &text, " ", "\n", overlap, kColumns);
        for (const std::string& line : Lines(text)) EXPECT_LE(line.size(), kColumns) << line;
      }
    }
    uint32_t index = 0;
    for (uint32_t n = 0; m.GetNthRegister(false, n, &index, true); n++) {
      SCOPED_TRACE(std::string(product) + " register " + std::to_string(index));
      for (const std::string& line : Lines(Picture(m, index))) {
        EXPECT_LE(line.size(), kColumns) << line;
      }
    }
  }
}

}  // namespace
