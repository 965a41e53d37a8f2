// Feature values on small documents with a register list of their own: raw fields, spans, bool
// and sequence texts, lookups. The built-in document's features are tested with it.
#include "chipdef/chipdef_base.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chipdef_doc_model.h"

namespace {

// A model of a small document whose register list the test fills.
class ListModel : public DocModel {
 public:
  ListModel(const std::string& doc, std::vector<std::pair<uint32_t, uint32_t>> list)
      : DocModel(doc), list_(std::move(list)) {
    AssembleSpans();
  }
  uint32_t GetRegListValue(uint32_t pos) override {
    return pos < list_.size() ? list_[pos].second : 0;
  }
  bool SetRegListValue(uint32_t pos, uint32_t value) override {
    if (pos >= list_.size()) return false;
    list_[pos].second = value;
    return true;
  }
  bool FindInRegList(uint32_t index, uint32_t* pos, bool) override {
    bool found = false;
    for (uint32_t i = 0; i < list_.size(); i++) {
      if (list_[i].first == index) {
        *pos = i;
        found = true;
      }
    }
    return found;
  }
  bool GetRegListIndex(uint32_t pos, uint32_t* index) override {
    if (pos >= list_.size()) return false;
    *index = list_[pos].first;
    return true;
  }
  uint32_t Reg(uint32_t index) { return ReadRegister(index, false); }

 private:
  std::vector<std::pair<uint32_t, uint32_t>> list_;
};

const char* kSmallDoc = R"(<CHIPDEF>
<PRODUCTS>
<PRODUCT KEYNAME="A1" NAME="A1" DESC="first"/>
<PRODUCT KEYNAME="B2" NAME="B2" DESC="second"/>
</PRODUCTS>
<REGISTERS>
<REGISTER KEYNAME="R10" NAME="ten" REG="0010" DEFAULT="1234"/>
<REGISTER KEYNAME="R12" NAME="twelve" REG="0012"/>
<REGISTER KEYNAME="R14" NAME="fourteen" REG="0014" PRODUCT="B2"/>
<REGISTER KEYNAME="RUN" NAME="gpio run" REG="0300" REGEND="0310" REGSTEP="4"/>
</REGISTERS>
<FEATURES>
<FEATURE KEYNAME="lowBits" TYPE="numb" REG="0010" MASK="000F"/>
<FEATURE KEYNAME="inv" TYPE="bool" REG="0010" MASK="0010" INVERTED="y"/>
<FEATURE KEYNAME="plain" TYPE="bool" REG="0010" MASK="0020"/>
<FEATURE KEYNAME="binary" TYPE="numb" REG="0010" MASK="0F00" RADIX="bin"/>
<FEATURE KEYNAME="big" TYPE="addr" REG="span" OP1="*2"/>
<FEATURE KEYNAME="bigLSB" TYPE="numb" REG="0012" MASK="FFFE"/>
<FEATURE KEYNAME="bigISB" TYPE="numb" REG="0014" MASK="00FF" PRODUCT="B2"/>
<FEATURE KEYNAME="bigMSB" TYPE="numb" REG="0010" MASK="F000"/>
<FEATURE KEYNAME="whole" TYPE="numb" REG="0012" OVERLAP="y"/>
<FEATURE KEYNAME="seq" TYPE="sequ"/>
<FEATURE KEYNAME="word" TYPE="text"/>
</FEATURES>
</CHIPDEF>
)";

TEST(SmallModelRegisters, RunsListsAndDefaults) {
  ListModel m(kSmallDoc, {{0x10, 0x00A5}, {0x12, 0x1000}});
  ASSERT_TRUE(m.SelectProduct("A1"));
  // A run matches its index, every step inside it and its end, nothing between the steps.
  EXPECT_TRUE(m.RegisterExists(0x0300));
  EXPECT_TRUE(m.RegisterExists(0x0304));
  EXPECT_TRUE(m.RegisterExists(0x0310));
  EXPECT_FALSE(m.RegisterExists(0x0302));
  EXPECT_FALSE(m.RegisterExists(0x0314));
  // A register of another product does not exist, and reads its neighbour's nothing.
  EXPECT_FALSE(m.RegisterExists(0x0014));
  ASSERT_TRUE(m.SelectProduct("B2"));
  EXPECT_TRUE(m.RegisterExists(0x0014));
  // Cold mode: a listed register reads the list, an unlisted one its default, no record 0.
  EXPECT_EQ(m.Reg(0x0010), 0x00A5u);
  EXPECT_EQ(m.GetRegDefault(0x0010), 0x1234u);
  EXPECT_EQ(m.Reg(0x0300), 0u);
  EXPECT_EQ(m.Reg(0x0999), 0u);
  // Writing an unlisted register stores nothing.
  EXPECT_FALSE(m.WriteRegister(0x0300, false, 5));
  EXPECT_TRUE(m.WriteRegister(0x0012, false, 0x7777));
  EXPECT_EQ(m.Reg(0x0012), 0x7777u);
  EXPECT_EQ(m.GetRegWidthDigits(0x0010), 4u);
  uint32_t index = 0;
  EXPECT_TRUE(m.GetNthRegister(false, 3, &index, false));
  EXPECT_EQ(index, 0x0300u);
}

TEST(SmallModelFeatures, FieldsFitOrAreRefused) {
  ListModel m(kSmallDoc, {{0x10, 0x00A5}, {0x12, 0x1000}});
  EXPECT_EQ(m.GetFieldValue("lowbits"), 5u);
  EXPECT_TRUE(m.SetFieldValue("lowbits", 0xC));
  EXPECT_EQ(m.Reg(0x10), 0x00ACu);  // the other bits are kept
  EXPECT_FALSE(m.SetFieldValue("lowbits", 0x10));
  EXPECT_EQ(m.Reg(0x10), 0x00ACu);  // too wide: nothing written
  EXPECT_TRUE(m.SetFieldValue("whole", 0xBEEF));
  EXPECT_EQ(m.Reg(0x12), 0xBEEFu);
  EXPECT_STREQ(m.GetValueText("binary", true), "0");
  EXPECT_TRUE(m.SetValueText("binary", "101"));
  EXPECT_EQ(m.GetFieldValue("binary"), 5u);
  EXPECT_STREQ(m.GetValueText("binary", true), "101");
  // A text that is no number of the radix stores nothing.
  EXPECT_FALSE(m.SetValueText("binary", "12"));
  EXPECT_FALSE(m.SetValueText("lowbits", ""));
  EXPECT_EQ(m.GetFieldValue("binary"), 5u);
}

TEST(SmallModelFeatures, BoolWordsAndInversion) {
  ListModel m(kSmallDoc, {{0x10, 0}, {0x12, 0}});
  for (const char* word : {"True", "on", "ENABLED", "t", "1"}) {
    ASSERT_TRUE(m.SetFieldValue("inv", 1));
    EXPECT_TRUE(m.SetValueText("inv", word)) << word;
    EXPECT_EQ(m.GetFieldValue("inv"), 0u) << word;  // inverted: true is field 0
    EXPECT_TRUE(m.SetValueText("plain", word)) << word;
    EXPECT_EQ(m.GetFieldValue("plain"), 1u) << word;
  }
  EXPECT_TRUE(m.SetValueText("inv", "off"));
  EXPECT_EQ(m.GetFieldValue("inv"), 1u);
  EXPECT_STREQ(m.GetValueText("inv", true), "False");
  EXPECT_FALSE(m.SetValueText("plain", "yes"));
  EXPECT_FALSE(m.SetValueText("plain", "onn"));
  EXPECT_EQ(m.GetFieldValue("plain"), 1u);
}

TEST(SmallModelFeatures, SpanPartsFollowTheProduct) {
  ListModel m(kSmallDoc, {{0x10, 0}, {0x12, 0}, {0x14, 0}});
  ASSERT_TRUE(m.SelectProduct("A1"));
  m.AssembleSpans();
  // lsb 15 bits and msb 4 bits; the isb part belongs to the other product.
  EXPECT_EQ(m.GetMax("big"), ((1u << 19) - 1) * 2);
  EXPECT_TRUE(m.SetValue("big", 0x9ABCE));
  EXPECT_EQ(m.Reg(0x12), 0xABCEu);
  EXPECT_EQ(m.Reg(0x10) >> 12, 0x9u);
  EXPECT_EQ(m.GetValue("big"), 0x9ABCEu);
  EXPECT_FALSE(m.SetValue("big", 0xFFFFFFF0));  // clamped to the maximum, still stored
  EXPECT_EQ(m.GetValue("big"), m.GetMax("big"));

  ASSERT_TRUE(m.SelectProduct("B2"));
  m.AssembleSpans();
  EXPECT_EQ(m.GetMax("big"), ((1u << 27) - 1) * 2);
  EXPECT_TRUE(m.SetValue("big", 0x2345678));
  EXPECT_EQ(m.Reg(0x12), 0x5678u);
  EXPECT_EQ(m.Reg(0x14), 0x34u);
  EXPECT_EQ(m.Reg(0x10) >> 12, 0x2u);
  EXPECT_EQ(m.GetValue("big"), 0x2345678u);
}

TEST(SmallModelFeatures, SequenceTextNeedsAStore) {
  ListModel m(kSmallDoc, {});
  // The base keeps no sequence: a store fails and the text is empty.
  EXPECT_FALSE(m.SetValueText("seq", "c1"));
  EXPECT_STREQ(m.GetValueText("seq", true), "");
  EXPECT_EQ(m.GetValue("seq"), 0u);
  EXPECT_FALSE(m.SetValue("seq", 1));
}

TEST(SmallModelLookups, BitsPartsAndValues) {
  ListModel m(kSmallDoc, {});
  EXPECT_STREQ(m.FeatureAtBit(0x10, 2), "lowbits");
  EXPECT_STREQ(m.FeatureAtBit(0x10, 4), "inv");
  EXPECT_EQ(m.FeatureAtBit(0x12, 0), nullptr);  // "whole" overlaps, "biglsb" lacks bit 0
  EXPECT_STREQ(m.FeatureAtBit(0x12, 1), "biglsb");
  EXPECT_EQ(m.FeatureAtBit(0x10, 40), nullptr);
  std::string span, suffix;
  EXPECT_TRUE(ChipDefBase::SplitPartName("saddrlsb", &span, &suffix));
  EXPECT_EQ(span, "saddr");
  EXPECT_EQ(suffix, "LSB");
  EXPECT_TRUE(ChipDefBase::SplitPartName("main1saddrMSB", &span, &suffix));
  EXPECT_EQ(suffix, "MSB");
  EXPECT_FALSE(ChipDefBase::SplitPartName("saddr", &span, &suffix));
  EXPECT_FALSE(ChipDefBase::SplitPartName("sb", &span, &suffix));
  EXPECT_TRUE(m.FeatureExists("LOWBITS"));
  EXPECT_FALSE(m.FeatureExists("lowbit"));
  EXPECT_FALSE(m.FeatureExists(std::string(200, 'a').c_str()));
}

TEST(SmallModelDeathTest, MisuseIsFatal) {
  ListModel m(kSmallDoc, {});
  EXPECT_EXIT(m.GetValue("nosuch"), testing::ExitedWithCode(99), "");
  EXPECT_EXIT(m.GetFieldValue("word"), testing::ExitedWithCode(99), "");
  EXPECT_EXIT(m.GetMin("inv"), testing::ExitedWithCode(99), "");
  EXPECT_EXIT(m.GetNthRegister(true, 0, nullptr, false), testing::ExitedWithCode(99), "");
}

}  // namespace
