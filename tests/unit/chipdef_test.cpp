#include "chipdef/chipdef.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "chipdef_doc_model.h"

#include "live_model.h"

namespace {

class BuiltInDocument : public testing::Test {
 protected:
  ChipDef m;
  const FeatureRec& F(const char* key) { return FeatureOf(m, key); }
};

TEST_F(BuiltInDocument, LoadsWithOnlyThePerProductDuplicates) {
  EXPECT_EQ(m.ErrDiagnoseBuf(),
            "CHIPDEF ERROR: paneltype is defined twice.\n"
            "CHIPDEF ERROR: datatype is defined twice.\n"
            "CHIPDEF ERROR: portstatus is defined twice.\n"
            "CHIPDEF ERROR: port is defined twice.\n");
  // Every line of the embedded document arrived.
  EXPECT_EQ(m.Registers().size(), 143u);
  EXPECT_EQ(m.Features().size(), 522u);
  ASSERT_EQ(m.Categories().size(), 12u);
  EXPECT_EQ(*m.Categories()[0].Name, "System Configuration");
  EXPECT_EQ(*m.Categories()[11].Name, "Interrupt Control");
  ASSERT_EQ(m.Products().size(), 2u);
  EXPECT_EQ(*m.Products()[0].KeyName, "77K50");
  EXPECT_EQ(*m.Products()[1].KeyName, "77Q41");
  EXPECT_EQ(m.SelectedProduct(), 1);
  EXPECT_STREQ(m.GetProductTitle(TITLE_NAME), "77Q41");
  EXPECT_STREQ(m.GetProductTitle(TITLE_PREFIX | TITLE_NAME | TITLE_SUFFIX), "QDX77Q41");
  EXPECT_EQ(m.IndexWidth(), 4u);
  EXPECT_EQ(m.ValueWidth(), 4u);
}

// Registers whose attributes the register commands, the tokens and the register list rely on.
TEST_F(BuiltInDocument, RegistersOtherCodeReliesOn) {
  struct Row {
    uint32_t index;
    const char* key;
    uint32_t dflt;
    bool readOnly, writeOnly, fake;
    const char* product;
  };
  const Row rows[] = {
      {0x0002, "PRODUCT_1", 0x0040, true, false, false, "77K50"},
      {0x0014, "MISC_CONFIG", 0x04D1, false, false, false, ""},
      {0x0016, "SOFT_RESET", 0, false, true, false, ""},
      {0x0034, "LCD_COMMAND", 0, false, false, false, "77K50"},
      {0x018E, "HWC_RAW_STATUS", 0, true, false, false, ""},
      {0x0208, "ALPHA_RATIO", 0x8888, false, false, false, ""},
      {0x0A00, "IRQ_STATUS", 0, true, false, false, ""},
      {0xFFFC, "DELAY", 0, false, false, true, ""},
      {0xFFFF, "END_OF_TABLE", 0, false, false, true, ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.key);
    auto reg = std::find_if(m.Registers().begin(), m.Registers().end(),
                            [&](const RegisterRec& x) { return x.Index == r.index; });
    ASSERT_NE(reg, m.Registers().end());
    EXPECT_EQ(*reg->KeyName, r.key);
    EXPECT_EQ(reg->Default, r.dflt);
    EXPECT_EQ(reg->ReadOnly, r.readOnly);
    EXPECT_EQ(reg->WriteOnly, r.writeOnly);
    EXPECT_EQ(reg->Fake, r.fake);
    EXPECT_EQ(reg->Product.value_or(""), r.product);
    EXPECT_EQ(reg->BitWidth, 16u);
  }
}

// Features the chip model computes or treats specially, with the attributes it relies on.
TEST_F(BuiltInDocument, FeaturesOtherCodeReliesOn) {
  struct Row {
    const char* key;
    uint32_t reg, mask, type;
    bool readOnly, writeOnly, needCode, overlap, span;
  };
  const Row rows[] = {
      {"hdp", 0x0042, 0x01FF, FT_NUMB, false, false, false, false, false},
      {"rotate", 0x0180, 0x0006, FT_NUMB, false, false, true, false, false},
      {"mirror", 0x0180, 0x0008, FT_BOOL, false, false, true, false, false},
      {"hwcreset", 0x0180, 0x8000, FT_BOOL, false, true, false, false, false},
      {"memwidth", 0x0188, 0x03FE, FT_NUMB, false, false, true, false, false},
      {"main1stride", 0x0244, 0x0FFE, FT_NUMB, false, false, true, false, false},
      {"saddr", kAllOnes, kAllOnes, FT_ADDR, false, false, true, false, true},
      {"saddrbias", kAllOnes, kAllOnes, FT_NUMB, true, false, true, false, false},
      {"gpioconfig", kAllOnes, kAllOnes, FT_NUMB, false, false, false, true, true},
      {"gpio23c", 0x0302, 0x0080, FT_NUMB, false, false, false, false, false},
      {"softreset", 0x0016, 0xFFFF, FT_NUMB, false, true, false, false, false},
      {"clki", kAllOnes, kAllOnes, FT_FREQ, false, false, true, false, false},
      {"sysclk", kAllOnes, kAllOnes, FT_FREQ, true, false, true, false, false},
      {"chipid", kAllOnes, kAllOnes, FT_TEXT, true, false, true, false, false},
      {"lcdseq", kAllOnes, kAllOnes, FT_SEQU, false, false, true, false, false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.key);
    const FeatureRec& f = F(r.key);
    EXPECT_EQ(f.Reg, r.reg);
    EXPECT_EQ(f.Mask, r.mask);
    EXPECT_EQ(f.Type, r.type);
    EXPECT_EQ(f.ReadOnly, r.readOnly);
    EXPECT_EQ(f.WriteOnly, r.writeOnly);
    EXPECT_EQ(f.NeedCode, r.needCode);
    EXPECT_EQ(f.Overlap, r.overlap);
    EXPECT_EQ(f.Span, r.span);
  }
  // Span limits come from their parts: 19 bits (18 for the FFFC spans) before the operator.
  EXPECT_EQ(F("saddr").Max, 0xFFFFEu);
  EXPECT_EQ(F("main1saddr").Max, 0xFFFFEu);
  EXPECT_EQ(F("pip1scrsaddr").Max, 0xFFFFCu);
  EXPECT_EQ(F("pip2screaddr").Max, 0xFFFFCu);
  EXPECT_EQ(F("gpioconfig").Max, 0x3FFFFFu);
  EXPECT_EQ(F("gpioirqstatus").Min, 0u);
}

// Limits derived from the field and the operators: one row per kind of derivation.
TEST_F(BuiltInDocument, OperatorsStepsAndUnits) {
  ASSERT_TRUE(m.SelectProduct("all"));
  struct Row {
    const char* Key;
    const char* Op1;
    const char* Op2;
    uint32_t Step;
    const char* Unit;
    uint32_t Min, Max;
  };
  const Row rows[] = {
      {"mdivider", "+1", "", 1, ":1", 1, 0x40},
      {"serclkdiv", "+1", "*2", 1, ":1", 2, 16},
      {"pclkdiv", "+2", "", 1, ":1", 2, 33},
      {"ht", "+1", "*8", 8, " pixels", 8, 1024},
      {"hdp", "+1", "*2", 2, " pixels", 2, 1024},
      {"lcdvsyncpos", "*2", "", 1, "", 0, 510},
      {"rotate", "*90", "", 0x5A, " degrees", 0, 270},
      {"memwidth", "*2", "+2", 1, " pixels", 2, 1024},
      {"pip1scrsaddr", "*4", "", 1, "", 0, 0xFFFFC},
      {"mgeb2bwait", "", "", 1, " clocks", 0, 15},
      {"sysclk", "", "", 1, " Hz", 0, kAllOnes},
      {"mgeabw", "", "", 1, "-bit", 0, 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.Key);
    const FeatureRec& f = F(r.Key);
    EXPECT_EQ(f.Op1.value_or(""), r.Op1);
    EXPECT_EQ(f.Op2.value_or(""), r.Op2);
    EXPECT_EQ(f.Step, r.Step);
    EXPECT_EQ(f.Unit.value_or(""), r.Unit);
    EXPECT_EQ(f.Min, r.Min);
    EXPECT_EQ(f.Max, r.Max);
  }
  EXPECT_EQ(*F("pclkdiv").Name, "Pixel Clock Divide Select");
  EXPECT_EQ(F("pllclksrc").AbbrevLen, 6u);
  EXPECT_EQ(F("main1saddr").AbbrevLen, 5u);
  EXPECT_EQ(*F("main1saddrlsb").Name, "Main1 Window Start Address Low Bits");
}

// Every value a list or bool names fits its field; a few lists the program's texts rely on.
TEST_F(BuiltInDocument, ValueLists) {
  ASSERT_TRUE(m.SelectProduct("all"));
  for (const FeatureRec& f : m.Features()) {
    if ((f.Type != FT_LIST && f.Type != FT_BOOL) || f.Mask == kAllOnes) continue;
    for (const FValueRec& v : f.Values) {
      EXPECT_LE(v.ToIndex, f.Mask >> std::countr_zero(f.Mask)) << f.KeyName;
      EXPECT_GE(v.ToIndex, v.Index) << f.KeyName;
    }
  }
  EXPECT_EQ(*F("rgbdatawidth").Values[4].Value, "24");
  EXPECT_EQ(*F("pclkdivlist").Values[31].Value, "33");
  const FeatureRec& status = F("memwritestatus");
  ASSERT_EQ(status.Values.size(), 2u);
  EXPECT_FALSE(status.Values[1].Value);
  EXPECT_EQ(*status.Values[1].ReadValue, "Occurred");
  EXPECT_EQ(*status.Values[1].WriteValue, "Clear status");
  EXPECT_EQ(*F("lcdparcppin").Values[2].Value, "FPDAT[17:13],FPDAT[11:1]");
}

// Each product sees its own registers and features; the chip id follows the selection, and an
// unknown product leaves it.
TEST_F(BuiltInDocument, ProductFiltering) {
  struct Row {
    const char* key;
    bool q41, k50;  // seen with the product selected
  };
  const Row rows[] = {
      {"rsvd14b15to8", true, false},    {"rsvd14b4to3", true, false},
      {"serclk", false, true},          {"lcdsertype", false, true},
      {"lcdcmd", false, true},          {"lcdpolinv", false, true},
      {"lcdparfmt", false, true},       {"pip2lineardelta", false, true},
      {"pip2areaavscale", false, true}, {"revcode", false, true},
  };
  uint32_t index = 0;
  for (const Row& r : rows) EXPECT_EQ(m.FindFeature(r.key, &index), r.q41) << r.key;
  EXPECT_EQ(F("paneltype").Reg, kAllOnes);
  EXPECT_TRUE(F("paneltype").NeedCode);
  EXPECT_EQ(F("paneltype").Values.size(), 1u);
  EXPECT_EQ(m.GetFieldValue("paneltype"), 0u);
  EXPECT_FALSE(m.RegisterExists(0x0034));
  ASSERT_TRUE(m.SelectProduct("77K50"));
  for (const Row& r : rows) EXPECT_EQ(m.FindFeature(r.key, &index), r.k50) << r.key;
  EXPECT_EQ(F("paneltype").Reg, 0x32u);
  EXPECT_EQ(F("paneltype").Mask, 3u);
  EXPECT_EQ(F("datatype").Mask, 0xE0u);
  EXPECT_TRUE(m.RegisterExists(0x0034));
  EXPECT_STREQ(m.GetValueText("chipid", true), "77K50");
  EXPECT_EQ(std::string(m.Record().chipId), "77K50");
  EXPECT_FALSE(m.SelectProduct("99X99"));
  EXPECT_STREQ(m.GetValueText("chipid", true), "77K50");
}

TEST_F(BuiltInDocument, HdpTransformsAndClamps) {
  ASSERT_TRUE(m.SetFieldValue("hdp", 0));
  EXPECT_EQ(m.GetValue("hdp"), 2u);
  EXPECT_TRUE(m.SetValue("hdp", 640));
  EXPECT_EQ(m.GetFieldValue("hdp"), 319u);
  EXPECT_STREQ(m.GetValueText("hdp", true), "640 pixels");
  EXPECT_FALSE(m.SetValue("hdp", 1));
  EXPECT_EQ(m.GetFieldValue("hdp"), 0u);
  EXPECT_FALSE(m.SetValue("hdp", 5000));
  EXPECT_EQ(m.GetValue("hdp"), 1024u);
  EXPECT_TRUE(m.SetValueText("hdp", "320"));
  EXPECT_EQ(m.GetValue("width"), 320u);
  EXPECT_TRUE(m.SetValue("width", 480));
  EXPECT_EQ(m.GetValue("hdp"), 480u);
}

TEST_F(BuiltInDocument, RotateTextCarriesItsUnit) {
  ASSERT_TRUE(m.SetFieldValue("rotate", 3));
  EXPECT_EQ(m.GetValue("rotate"), 270u);
  EXPECT_STREQ(m.GetValueText("rotate", true), "270 degrees");
  EXPECT_TRUE(m.SetValue("rotate", 90));
  EXPECT_EQ(m.GetFieldValue("rotate"), 1u);
}

TEST_F(BuiltInDocument, ListTextsAndLookups) {
  ASSERT_TRUE(m.SetFieldValue("rgbdatawidth", 5));
  EXPECT_STREQ(m.GetValueText("rgbdatawidth", true), "[RESERVED SETTING OF 5h]-bit");
  // A hexadecimal number an entry covers wins over a name.
  EXPECT_TRUE(m.SetValueText("rgbdatawidth", "4"));
  EXPECT_EQ(m.GetFieldValue("rgbdatawidth"), 4u);
  EXPECT_STREQ(m.GetValueText("rgbdatawidth", true), "24-bit");
  EXPECT_TRUE(m.SetValueText("rgbdatawidth", "16"));
  EXPECT_EQ(m.GetFieldValue("rgbdatawidth"), 2u);
  EXPECT_TRUE(m.SetValueText("rgbdatawidth", "18-BIT"));
  EXPECT_EQ(m.GetFieldValue("rgbdatawidth"), 3u);
  EXPECT_FALSE(m.SetValueText("rgbdatawidth", "20-bit"));
  EXPECT_EQ(m.GetFieldValue("rgbdatawidth"), 3u);
  EXPECT_TRUE(m.SetValueText("mgedbw", "16-bit"));
  EXPECT_EQ(m.GetFieldValue("mgedbw"), 2u);
  EXPECT_TRUE(m.SetValue("rgbdatawidth", 1));
  EXPECT_EQ(m.GetFieldValue("rgbdatawidth"), 1u);
}

TEST_F(BuiltInDocument, SpansAndTheirLimits) {
  EXPECT_EQ(m.GetMax("main1saddr"), 0xFFFFEu);
  EXPECT_TRUE(m.SetValue("main1saddr", 0x12344));
  EXPECT_EQ(m.ReadRegister(0x0240, false), 0x2344u);
  EXPECT_EQ(m.ReadRegister(0x0242, false), 0x1u);
  EXPECT_EQ(m.GetValue("main1saddr"), 0x12344u);
  EXPECT_STREQ(m.GetValueText("main1saddr", true), "00012344h");
  EXPECT_FALSE(m.SetValue("main1saddr", 0x200000));
  EXPECT_EQ(m.GetValue("main1saddr"), 0xFFFFEu);
}

TEST_F(BuiltInDocument, FeaturesEnumerateInDocumentOrderInAnyOrderOfAsking) {
  std::vector<std::string> keys;
  const char* key = nullptr;
  for (uint32_t n = 0; m.GetNthFeature(n, &key); n++) keys.push_back(key);
  ASSERT_GT(keys.size(), 400u);
  EXPECT_FALSE(m.GetNthFeature(static_cast<uint32_t>(keys.size()), &key));
  for (uint32_t n : {7u, 3u, 3u, 200u, 201u, 0u, 450u}) {
    ASSERT_TRUE(m.GetNthFeature(n, &key));
    EXPECT_EQ(keys[n], key) << n;
  }
  // Each product sees its own features: lcdcmd only the 77K50.
  EXPECT_EQ(std::count(keys.begin(), keys.end(), "lcdcmd"), 0);
  ASSERT_TRUE(m.GetNthFeature(10, &key));
  ASSERT_TRUE(m.SelectProduct("77K50"));
  std::vector<std::string> other;
  for (uint32_t n = 0; m.GetNthFeature(n, &key); n++) other.push_back(key);
  EXPECT_EQ(std::count(other.begin(), other.end(), "lcdcmd"), 1);
  EXPECT_NE(other.size(), keys.size());
}

// ---- the configuration record copy and the code features ----

// The record is packed: its fields are compared as values, never bound to references.

TEST_F(BuiltInDocument, FlagWordFeatures) {
  EXPECT_EQ(m.GetFieldValue("resetduringinit"), 0u);  // qvfNO_RESET is set
  EXPECT_EQ(m.GetFieldValue("adapter"), 1u);
  EXPECT_STREQ(m.GetValueText("adapter", true), "USB");
  EXPECT_STREQ(m.GetValueText("checkmemstatus", true), "True");
  EXPECT_TRUE(m.SetValueText("checkmemstatus", "false"));
  EXPECT_EQ(m.Record().hclFlags & 0x1000, 0x1000u);
  EXPECT_TRUE(m.SetValueText("checkmemstatus", "true"));
  EXPECT_EQ(m.Record().hclFlags & 0x1000, 0u);
  EXPECT_TRUE(m.SetFieldValue("fastcycle", 1));
  EXPECT_EQ(m.Record().hclFlags & 0x0800, 0x0800u);
  EXPECT_FALSE(m.SetFieldValue("fastcycle", 2));
  for (const char* autoStride :
       {"main1autostride", "main2autostride", "pip1autostride", "pip2autostride"}) {
    EXPECT_TRUE(m.SetFieldValue(autoStride, 0));
  }
  EXPECT_EQ(m.Record().hclFlags & 0x1E, 0x1Eu);
}

TEST_F(BuiltInDocument, RecordFieldsAndConstants) {
  EXPECT_EQ(m.GetValue("memoffset"), 0x200000u);
  EXPECT_TRUE(m.SetValue("baseaddr", 0x10000000));
  EXPECT_EQ(m.GetValue("memaddr"), 0x10200000u);
  EXPECT_EQ(m.GetValue("regaddr"), 0x10000000u);
  EXPECT_FALSE(m.SetFieldValue("regaddr", 5));
  EXPECT_EQ(m.GetValue("bpp"), 16u);
  EXPECT_EQ(m.GetValue("bufsize"), 1u);
  EXPECT_EQ(m.GetValue("clki"), 4000000u);
  EXPECT_STREQ(m.GetValueText("clki", true), "4.000 MHz");
  EXPECT_TRUE(m.SetValueText("clki", "27"));
  EXPECT_EQ(uint32_t{m.Record().clki}, 27000000u);
  EXPECT_STREQ(m.GetValueText("chipid", true), "77Q41");
  EXPECT_STREQ(m.GetValueText("chipname", true), "QDX77Q41");
  EXPECT_EQ(std::string(m.GetValueText("chipdesc", true)).rfind(" QDX 77-series", 0), 0u);
  EXPECT_FALSE(m.SetValueText("chipid", "other"));
}

TEST_F(BuiltInDocument, DescriptionIsCutToItsField) {
  EXPECT_TRUE(m.SetValueText("cfgdesc", "panel board"));
  EXPECT_STREQ(m.GetValueText("cfgdesc", true), "panel board");
  const std::string longText(400, 'x');
  EXPECT_TRUE(m.SetValueText("cfgdesc", longText.c_str()));
  EXPECT_EQ(std::string(m.GetValueText("cfgdesc", true)), std::string(255, 'x'));
  EXPECT_EQ(m.Record().lcdStrings[0], 0);  // the next field is untouched
}

TEST_F(BuiltInDocument, BusBytesReplaceOnlyTheirBits) {
  // Byte 0 is 41h: data width field 2 ("16"), signal type 0, polarity 0.
  EXPECT_EQ(m.GetFieldValue("mgedbw"), 2u);
  EXPECT_EQ(m.GetFieldValue("mgedbw2"), 2u);
  EXPECT_TRUE(m.SetFieldValue("mgesigtype", 7));
  EXPECT_EQ(m.Record().usbInfo[0], 0x41 | 0x1C);
  EXPECT_TRUE(m.SetFieldValue("mgesigtype", 0xF));  // masked to the field
  EXPECT_EQ(m.Record().usbInfo[0], 0x41 | 0x1C);
  EXPECT_EQ(m.GetFieldValue("mgerdwait"), 0xAu);  // byte 2 is AAh
  EXPECT_EQ(m.GetValue("mgerdwait"), 0xBu);
  EXPECT_TRUE(m.SetValue("mgewrwait", 3));
  EXPECT_EQ(m.Record().usbInfo[2], 0x2A);
  EXPECT_EQ(m.GetFieldValue("mgecfgf"), 2u);  // byte 5 is AAh, bits 5..4
}

TEST_F(BuiltInDocument, StridesFollowTheirWindowWithAutoStride) {
  ASSERT_TRUE(m.SetFieldValue("main1autostride", 0));
  EXPECT_EQ(m.GetValue("main1stride"), 640u);  // the list's MAIN1_STRIDE
  ASSERT_TRUE(m.SetValue("main1width", 100));
  EXPECT_EQ(m.GetValue("main1stride"), 640u);  // off: the stored value stays
  ASSERT_TRUE(m.SetFieldValue("main1autostride", 1));
  EXPECT_EQ(m.GetValue("main1stride"), 200u);
  ASSERT_TRUE(m.SetFieldValue("main1autostride", 0));
  EXPECT_EQ(m.GetValue("main1stride"), 200u);  // the derived stride was stored
}

// Every setting the model keeps in its record copy lands at the field's documented byte offset,
// in the record's little-endian layout, and changes no other byte.
TEST(RecordLayout, SettingsLandAtTheirOffsets) {
  struct Bytes {
    size_t offset;
    std::vector<uint8_t> bytes;
  };
  struct Row {
    const char* name;
    std::function<bool(ChipDef&)> set;
    std::vector<Bytes> expected;
  };
  auto field = [](const char* key, uint32_t raw) {
    return [key, raw](ChipDef& m) { return m.SetFieldValue(key, raw); };
  };
  auto text = [](const char* key, const char* value) {
    return [key, value](ChipDef& m) { return m.SetValueText(key, value); };
  };
  // The compiled-in flags are 00000401h; the bus bytes 41h 55h AAh 5Fh AAh AAh.
  const Row rows[] = {
      {"cfgdesc", text("cfgdesc", "bench"), {{16, {'b', 'e', 'n', 'c', 'h', 0}}}},
      {"lcdseq", text("lcdseq", "c2A(x)"), {{272, {1, 'x', 0, 0}}, {826, {0x2A, 0, 0, 0x10}}}},
      {"chip id",
       [](ChipDef& m) { return m.SelectProduct("77K50"); },
       {{788, {'7', '7', 'K', '5', '0', 0, 0, 0}}}},
      {"clki", field("clki", 27000000), {{800, {0xC0, 0xFC, 0x9B, 0x01}}}},
      {"baseaddr", field("baseaddr", 0x12345678), {{804, {0x78, 0x56, 0x34, 0x12}}}},
      {"regoffset", field("regoffset", 0x1000), {{808, {0x00, 0x10, 0, 0}}}},
      {"memoffset", field("memoffset", 0x300000), {{812, {0, 0, 0x30, 0}}}},
      {"resetduringinit", field("resetduringinit", 1), {{816, {0x00, 0x04, 0, 0}}}},
      {"main1autostride", field("main1autostride", 0), {{816, {0x03, 0x04, 0, 0}}}},
      {"main2autostride", field("main2autostride", 0), {{816, {0x05, 0x04, 0, 0}}}},
      {"pip1autostride", field("pip1autostride", 0), {{816, {0x09, 0x04, 0, 0}}}},
      {"pip2autostride", field("pip2autostride", 0), {{816, {0x11, 0x04, 0, 0}}}},
      {"regwrite", field("regwrite", 1), {{816, {0x01, 0x05, 0, 0}}}},
      {"adapter", field("adapter", 0), {{816, {0x01, 0x00, 0, 0}}}},
      {"fastcycle", field("fastcycle", 1), {{816, {0x01, 0x0C, 0, 0}}}},
      {"checkmemstatus", field("checkmemstatus", 0), {{816, {0x01, 0x14, 0, 0}}}},
      {"checkhwcstatus", field("checkhwcstatus", 0), {{816, {0x01, 0x24, 0, 0}}}},
      {"burstmemport", field("burstmemport", 1), {{816, {0x01, 0x44, 0, 0}}}},
      {"mgesigtype", field("mgesigtype", 7), {{820, {0x5D}}}},
      {"mgesigtype2", field("mgesigtype2", 1), {{820, {0x45}}}},
      {"mgedbw", field("mgedbw", 3), {{820, {0x61}}}},
      {"mgedbw2", field("mgedbw2", 0), {{820, {0x01}}}},
      {"mgeintpol", field("mgeintpol", 1), {{820, {0xC1}}}},
      {"mgecs2rd", field("mgecs2rd", 0), {{821, {0x54}}}},
      {"mgecs2wr", field("mgecs2wr", 0), {{821, {0x51}}}},
      {"mgerd2cs", field("mgerd2cs", 0), {{821, {0x45}}}},
      {"mgewr2cs", field("mgewr2cs", 0), {{821, {0x15}}}},
      {"mgerdwait", field("mgerdwait", 5), {{822, {0xA5}}}},
      {"mgewrwait", field("mgewrwait", 3), {{822, {0x3A}}}},
      {"mgeb2bwait", field("mgeb2bwait", 0), {{823, {0x50}}}},
      {"mgeb2bcshigh", field("mgeb2bcshigh", 0), {{823, {0x4F}}}},
      {"mgeabw", field("mgeabw", 0), {{823, {0x1F}}}},
      {"usbrndbus", field("usbrndbus", 1), {{824, {0xAB}}}},
      {"mgecfgf", field("mgecfgf", 1), {{825, {0x9A}}}},
      {"hdp, a register in the list", field("hdp", 0x9F), {{4922 + 10 * 4, {0x42, 0, 0x9F, 0}}}},
  };
  ChipDef m;
  const std::vector<uint8_t> before(reinterpret_cast<const uint8_t*>(&m.Record()),
                                    reinterpret_cast<const uint8_t*>(&m.Record()) + kHclRecordSize);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ChipDef model;
    ASSERT_TRUE(row.set(model));
    const auto* after = reinterpret_cast<const uint8_t*>(&model.Record());
    std::vector<uint8_t> expected = before;
    for (const Bytes& b : row.expected) {
      std::copy(b.bytes.begin(), b.bytes.end(), expected.begin() + b.offset);
    }
    for (size_t i = 0; i < kHclRecordSize; i++) {
      EXPECT_EQ(after[i], expected[i]) << "byte " << i;
    }
  }
}

// Live mode against a register file of the test's own, which remembers every access width.
class LiveModel : public ChipDef {
 public:
  LiveModel() { SetLive(true); }
  uint32_t ReadRegHot(const RegisterRec& reg, uint32_t index) override {
    widths[index] = reg.BitWidth;
    return regs[index];
  }
  bool WriteRegHot(const RegisterRec& reg, uint32_t index, uint32_t value) override {
    widths[index] = reg.BitWidth;
    regs[index] = value;
    return true;
  }
  std::map<uint32_t, uint32_t> regs, widths;
};

TEST(LiveModelTest, RegistersAreTheChipsNotTheList) {
  LiveModel m;
  m.regs[0x0042] = 0x13F;
  EXPECT_EQ(m.GetValue("hdp"), 640u);
  EXPECT_EQ(m.widths[0x0042], 16u);
  EXPECT_TRUE(m.SetValue("hdp", 320));
  EXPECT_EQ(m.regs[0x0042], 159u);
  EXPECT_EQ(uint32_t{m.Record().regTable[10].value}, 0x27u);  // the list is untouched
  // Registers outside the list are there in live mode; no register at all reads 0.
  EXPECT_TRUE(m.SetValue("memstride", 640));
  EXPECT_EQ(m.regs[0x0186], 640u);  // field 320 at bit 1
  EXPECT_EQ(m.ReadRegister(0x0999, false), 0u);
  EXPECT_FALSE(m.WriteRegister(0x0999, false, 1));
  EXPECT_EQ(m.regs.count(0x0999), 0u);
  EXPECT_EQ(m.GetFieldValue("dataformat"), 0u);
}

TEST(LiveModelTest, AViewedFileStandsInForTheChipAndIsNeverWritten) {
  LiveModel m;
  m.regs[0x0042] = 0x27;
  const RegisterFile file = {{0x0042, 0x13F}};
  m.ViewRegisterFile(&file);
  EXPECT_EQ(m.GetValue("hdp"), 640u);
  EXPECT_STREQ(m.GetValueText("alpha1ratio", true), "100");  // not in the file: the default
  EXPECT_FALSE(m.SetValue("hdp", 320));
  EXPECT_TRUE(m.widths.empty());  // the chip was neither read nor written
  m.ViewRegisterFile(nullptr);
  EXPECT_EQ(m.GetValue("hdp"), 80u);
}

TEST(LiveModelTest, AFieldOfADataPortIsWrittenWithoutReadingThePort) {
  struct CountingModel : LiveModel {
    uint32_t ReadRegHot(const RegisterRec& reg, uint32_t index) override {
      reads[index]++;
      return LiveModel::ReadRegHot(reg, index);
    }
    std::map<uint32_t, int> reads;
  } m;
  m.regs[0x0268] = 0xAB00;
  m.regs[0x0266] = 0x0010;
  ASSERT_TRUE(m.SetFieldValue("pip1coefport", 0x40));
  EXPECT_EQ(m.reads.count(0x0268), 0u);  // a read would have moved the counter
  EXPECT_EQ(m.regs[0x0268], 0x40u);
  ASSERT_TRUE(m.SetFieldValue("pip1countreset", 1));  // ordinary registers keep their other bits
  EXPECT_EQ(m.regs[0x0266], 0x0011u);
}

TEST_F(BuiltInDocument, PanelSettingsOfTheRgbOnlyChip) {
  EXPECT_EQ(m.GetFieldValue("paneltype"), 0u);
  EXPECT_STREQ(m.GetValueText("paneltype", true), "Mode 1 (LCD=RGB)");
  EXPECT_TRUE(m.SetFieldValue("paneltype", 0));
  EXPECT_FALSE(m.SetFieldValue("paneltype", 2));
  EXPECT_EQ(m.Refusal(), "The 77Q41 drives RGB panels only.");
  // The width is the RGB width field's.
  EXPECT_TRUE(m.SetValue("datawidth", 18));
  EXPECT_EQ(m.GetFieldValue("rgbdatawidth"), 3u);
  EXPECT_EQ(m.GetValue("datawidth"), 18u);
  m.ClearRefusal();
  EXPECT_FALSE(m.SetValue("datawidth", 10));
  EXPECT_EQ(m.Refusal(), "An RGB panel is 9, 12, 16, 18 or 24 bits wide, not 10.");
  EXPECT_EQ(m.GetFieldValue("rgbdatawidth"), 3u);
  // The format would be the parallel format, which this chip lacks: refused, not fatal.
  EXPECT_STREQ(m.GetValueText("dataformat", true), "3.3.2");
  EXPECT_FALSE(m.SetValueText("dataformat", "5.6.5"));
  EXPECT_EQ(m.Refusal(),
            "The data format is a parallel panel setting (lcdparfmt), which the 77Q41 lacks.");
}

// The 77K50's parallel panels: width and format both pick a parallel data format field.
TEST(LiveModelTest, ParallelPanelWidthAndFormat) {
  struct Row {
    const char* key;
    uint32_t value;  // a width in bits, or a data format entry
    uint32_t before, after;
  };
  const Row rows[] = {
      {"datawidth", 8, 3, 3},  {"datawidth", 8, 5, 1},  {"datawidth", 8, 6, 0},
      {"datawidth", 16, 1, 5}, {"datawidth", 16, 6, 6}, {"datawidth", 16, 0, 2},
      {"datawidth", 18, 0, 7}, {"datawidth", 24, 0, 4}, {"dataformat", 0, 7, 0},
      {"dataformat", 1, 2, 5}, {"dataformat", 1, 3, 1}, {"dataformat", 1, 0, 1},
      {"dataformat", 2, 0, 6}, {"dataformat", 3, 0, 7}, {"dataformat", 4, 3, 3},
      {"dataformat", 4, 1, 3}, {"dataformat", 4, 5, 2},
  };
  LiveModel m;
  ASSERT_TRUE(m.SelectProduct("77K50"));
  m.regs[0x0032] = 2;  // paneltype: Mode 2 (LCD=Parallel)
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.key) + " " + std::to_string(row.value) + " from " +
                 std::to_string(row.before));
    m.regs[0x0056] = 0x0400 | row.before;
    EXPECT_TRUE(m.SetFieldValue(row.key, row.value));
    EXPECT_EQ(m.regs[0x0056], 0x0400 | row.after);
  }
  m.regs[0x0056] = 7;
  EXPECT_EQ(m.GetValue("datawidth"), 18u);
  m.regs[0x0056] = 9;  // 5.6.5 over 8 bits
  EXPECT_EQ(m.GetValue("datawidth"), 8u);
  EXPECT_FALSE(m.SetValue("datawidth", 12));
  m.regs[0x0032] = 4 << 4;  // an RGB panel takes the RGB width, here 24 bits
  EXPECT_EQ(m.GetValue("datawidth"), 24u);
}

TEST(LiveModelTest, SaddrStaysPutWhenTheBiasMoves) {
  LiveModel m;
  ASSERT_TRUE(m.SetValue("memwidth", 320));
  ASSERT_TRUE(m.SetValue("memheight", 240));
  ASSERT_TRUE(m.SetValue("memstride", 640));
  ASSERT_TRUE(m.SetValue("saddr", 0x1000));
  EXPECT_EQ(m.GetValue("saddrbias"), 0u);
  EXPECT_EQ(m.GetValue("saddr"), 0x1000u);
  EXPECT_STREQ(m.GetValueText("saddr", true), "00001000h + bias of 0h");
  ASSERT_TRUE(m.SetValue("rotate", 90));
  EXPECT_EQ(m.GetValue("saddrbias"), 240u * 2 - 2);
  EXPECT_EQ(m.GetValue("saddr"), 0x1000u);
  EXPECT_EQ(m.GetFieldValue("saddr") * 2, 0x1000u + 478);
  EXPECT_STREQ(m.GetValueText("saddr", true), "00001000h + bias of 1DEh");
  ASSERT_TRUE(m.SetValueText("mirror", "on"));
  EXPECT_EQ(m.GetValue("saddrbias"), 0u);
  EXPECT_EQ(m.GetValue("saddr"), 0x1000u);
  ASSERT_TRUE(m.SetValue("rotate", 180));
  EXPECT_EQ(m.GetValue("saddrbias"), 239u * 640);
  EXPECT_EQ(m.GetValue("saddr"), 0x1000u);
  ASSERT_TRUE(m.SetValue("memheight", 100));
  EXPECT_EQ(m.GetValue("saddrbias"), 99u * 640);
  EXPECT_EQ(m.GetValue("saddr"), 0x1000u);
  // Odd addresses align down to a whole pixel; beyond the maximum is clamped.
  ASSERT_TRUE(m.SetValue("rotate", 0));
  ASSERT_TRUE(m.SetValueText("mirror", "off"));
  EXPECT_TRUE(m.SetValue("saddr", 0x1001));
  EXPECT_EQ(m.GetValue("saddr"), 0x1000u);
  EXPECT_FALSE(m.SetValue("saddr", 0x200000));
  EXPECT_EQ(m.GetValue("saddr"), 0xFFFFEu);
}

TEST_F(BuiltInDocument, SequenceTextRoundTrip) {
  EXPECT_EQ(m.GetSeqCapacity("lcdseq"), 1024u);
  EXPECT_EQ(m.GetSeqCapacity("hdp"), 0u);
  EXPECT_TRUE(m.SetValueText("lcdseq", "c2A p1 d10(wait)"));
  EXPECT_EQ(m.GetSeqLength("lcdseq"), 3u);
  EXPECT_EQ(uint32_t{m.Record().panelSequence[0]}, 0x1000002Au);
  EXPECT_EQ(uint32_t{m.Record().panelSequence[1]}, 0x20000001u);
  EXPECT_EQ(uint32_t{m.Record().panelSequence[2]}, 0x4000000Au);
  EXPECT_STREQ(m.GetValueText("lcdseq", true), "c2A  p1  d10(wait)");
  // Texts end at a semicolon, and the semicolon skips the rest up to the next one.
  EXPECT_TRUE(m.SetValueText("lcdseq", "id5 ap7(x;y) as3 x12; c1F(fine)  zz"));
  EXPECT_STREQ(m.GetValueText("lcdseq", true), "id5  ap7(x)  c1F(fine)");
  // A long sequence reads back whole, past the size of an ordinary returned text.
  std::string many;
  for (int i = 0; i < 300; i++) many += "c" + std::to_string(100 + i) + (i < 5 ? "(t)  " : "  ");
  many.resize(many.size() - 2);
  EXPECT_TRUE(m.SetValueText("lcdseq", many.c_str()));
  EXPECT_EQ(m.GetSeqLength("lcdseq"), 300u);
  EXPECT_EQ(m.GetValueText("lcdseq", true), many);
  // A full text pool ends the store: 170 one-letter texts take 510 of its 512 bytes.
  std::string texts;
  for (int i = 0; i < 200; i++) texts += "c1(t) ";
  EXPECT_FALSE(m.SetValueText("lcdseq", texts.c_str()));
  EXPECT_EQ(m.GetSeqLength("lcdseq"), 170u);
  // Past the 1024 entries the store stops and keeps what fitted.
  std::string tooMany;
  for (int i = 0; i < 1100; i++) tooMany += "p1 ";
  EXPECT_FALSE(m.SetValueText("lcdseq", tooMany.c_str()));
  EXPECT_EQ(m.GetSeqLength("lcdseq"), 1024u);
  EXPECT_TRUE(m.SetSeqLength("lcdseq", 0));
  EXPECT_EQ(m.GetSeqLength("lcdseq"), 0u);
  EXPECT_STREQ(m.GetValueText("lcdseq", true), "");
  EXPECT_EQ(m.Record().lcdStrings[0], 0);  // cleared entries leave no texts behind
}

TEST_F(BuiltInDocument, PoolRecordsComeAndGo) {
  const std::string before(m.Record().lcdStrings, sizeof m.Record().lcdStrings);
  ASSERT_TRUE(m.SetSeqEntry("lcdseq", 1, 0x10000000, 1, "a"));
  ASSERT_TRUE(m.SetSeqEntry("lcdseq", 3, 0x10000000, 2, "b"));
  ASSERT_TRUE(m.SetSeqEntry("lcdseq", 3, 0x10000000, 2, ""));
  uint32_t kind = 0, number = 0;
  const char* text = nullptr;
  ASSERT_TRUE(m.GetSeqEntry("lcdseq", 1, &kind, &number, &text));
  EXPECT_STREQ(text, "a");
  ASSERT_TRUE(m.GetSeqEntry("lcdseq", 3, &kind, &number, &text));
  EXPECT_EQ(text, nullptr);
  ASSERT_TRUE(m.SetSeqEntry("lcdseq", 1, 0x10000000, 1, nullptr));
  EXPECT_EQ(std::string(m.Record().lcdStrings, sizeof m.Record().lcdStrings), before);
  EXPECT_FALSE(m.GetSeqEntry("lcdseq", 1024, &kind, &number, &text));
  EXPECT_FALSE(m.SetSeqEntry("lcdseq", 1024, 0x10000000, 1, nullptr));
  // The pool is never overrun: texts stop fitting and are refused.
  const std::string long200(200, 'q');
  EXPECT_TRUE(m.SetSeqEntry("lcdseq", 10, 0x10000000, 1, long200.c_str()));
  EXPECT_TRUE(m.SetSeqEntry("lcdseq", 11, 0x10000000, 1, long200.c_str()));
  EXPECT_FALSE(m.SetSeqEntry("lcdseq", 12, 0x10000000, 1, long200.c_str()));
  EXPECT_EQ(m.Refusal(),
            "The text of LCD sequence entry 12 does not fit in the 512-byte text pool.");
  EXPECT_FALSE(m.SetSeqEntry("lcdseq", 254, 0x10000000, 1, "t"));  // no number for it
  EXPECT_EQ(m.Refusal(), "LCD sequence entry 254 cannot carry a text; entries 0 to 253 can.");
  EXPECT_TRUE(m.SetSeqEntry("lcdseq", 253, 0x10000000, 1, "t"));
  EXPECT_TRUE(m.SetSeqEntry("lcdseq", 300, 0x10000000, 1, ""));
}

TEST_F(BuiltInDocument, RegisterListIsCompactedToTheProduct) {
  EXPECT_EQ(m.RegListCount(), 95u);
  uint32_t index = 0, pos = 0;
  for (uint32_t n = 0; m.GetNthRegister(true, n, &index, true); n++) {
    EXPECT_TRUE(m.RegisterExists(index)) << std::hex << index;
  }
  EXPECT_TRUE(m.FindInRegList(0xFFFC, &pos, false));
  EXPECT_EQ(pos, 5u);
  EXPECT_EQ(uint32_t{m.Record().regTable[95].index}, 0xFFFFu);
  EXPECT_FALSE(m.FindInRegList(0x0034, &pos, false));
  // Cold reads and writes go to the list; registers outside it read their default.
  EXPECT_EQ(m.ReadRegister(0x0042, false), 0x27u);
  EXPECT_TRUE(m.WriteRegister(0x0042, false, 0x13F));
  EXPECT_EQ(uint32_t{m.Record().regTable[10].value}, 0x13Fu);
  EXPECT_EQ(m.ReadRegister(10, true), 0x13Fu);
  EXPECT_EQ(m.ReadRegister(0x0014, false), 0x04D0u);
  EXPECT_FALSE(m.WriteRegister(0x0004, false, 1));
  EXPECT_EQ(m.ReadRegister(0x0004, false), 0u);
}

}  // namespace
