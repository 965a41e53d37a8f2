#include "chipdef/chipdef_base.h"

#include <gtest/gtest.h>

#include <string>

#include "chipdef_doc_model.h"

namespace {

uint32_t Fwd(uint32_t v, const char* op) {
  return ChipDefBase::ApplyOp(v, std::string(op), false);
}
uint32_t Back(uint32_t v, const char* op) {
  return ChipDefBase::ApplyOp(v, std::string(op), true);
}

TEST(ApplyOp, ArithmeticOperatorsBothWays) {
  EXPECT_EQ(ChipDefBase::ApplyOp(7, std::nullopt, false), 7u);
  EXPECT_EQ(ChipDefBase::ApplyOp(7, std::nullopt, true), 7u);
  EXPECT_EQ(Fwd(3, "*90"), 270u);
  EXPECT_EQ(Back(271, "*90"), 3u);  // truncating
  EXPECT_EQ(Fwd(319, "+1"), 320u);
  EXPECT_EQ(Back(320, "+1"), 319u);
  EXPECT_EQ(Fwd(0, "-2"), 0xFFFFFFFEu);  // wraps around
  EXPECT_EQ(Back(0xFFFFFFFE, "-2"), 0u);
  EXPECT_EQ(Fwd(7, "/2"), 3u);
  EXPECT_EQ(Back(3, "/2"), 6u);
  EXPECT_EQ(Fwd(0x80000000, "*2"), 0u);
  EXPECT_EQ(Fwd(5, "*0"), 0u);  // multiplying by 0 is harmless forwards
}

TEST(ApplyOp, PowerAndMinimumOperators) {
  EXPECT_EQ(Fwd(0, "e"), 1u);
  EXPECT_EQ(Fwd(31, "e"), 0x80000000u);
  EXPECT_EQ(Fwd(32, "e"), 0u);  // beyond the 32 bits
  EXPECT_EQ(Back(0, "e"), 0u);
  EXPECT_EQ(Back(1, "e"), 0u);
  EXPECT_EQ(Back(0x400, "e"), 10u);
  EXPECT_EQ(Back(0x7FF, "e"), 10u);  // the highest set bit
  EXPECT_EQ(Fwd(0, "m"), 1u);
  EXPECT_EQ(Fwd(5, "m"), 5u);
  EXPECT_EQ(Back(1, "m"), 0u);
  EXPECT_EQ(Back(5, "m"), 5u);
}

TEST(ApplyOpDeathTest, MalformedOperatorsAreFatal) {
  EXPECT_EXIT(Fwd(1, "x2"), testing::ExitedWithCode(99), "");
  EXPECT_EXIT(Back(1, "*0"), testing::ExitedWithCode(99), "");
  EXPECT_EXIT(Fwd(1, "/0"), testing::ExitedWithCode(99), "");
}

const char* kProducts = R"(<PRODUCTS>
<PRODUCT KEYNAME="77K50" NAME="77K50" DESC="d"/>
<PRODUCT KEYNAME="77Q41" NAME="77Q41" DESC="d"/>
<PRODUCT KEYNAME="77Q41X" NAME="77Q41X" DESC="d" VARIANTOF="77Q41"/>
<PRODUCT KEYNAME="77Z9" NAME="77Z9" DESC="d" VARIANTOF="77K50"/>
</PRODUCTS>
)";

TEST(ProductFilter, SubstringsAndVariants) {
  DocModel m(Doc(kProducts));
  const OptText k50 = std::string("77K50"), q41 = std::string("77Q41"),
                both = std::string("77K50 77Q41"), z9 = std::string("77Z9");
  // Nothing selected: everything is visible.
  EXPECT_TRUE(m.IsForProduct(k50));
  ASSERT_TRUE(m.SelectProduct("77Q41"));
  EXPECT_TRUE(m.IsForProduct(std::nullopt));
  EXPECT_TRUE(m.IsForProduct(std::string("all")));
  EXPECT_TRUE(m.IsForProduct(q41));
  EXPECT_TRUE(m.IsForProduct(both));
  EXPECT_FALSE(m.IsForProduct(k50));
  EXPECT_FALSE(m.IsForProduct(std::string("All")));
  // An element for a variant of the selected product is visible too.
  EXPECT_TRUE(m.IsForProduct(std::string("77Q41X")));
  ASSERT_TRUE(m.SelectProduct("77Q41X"));
  EXPECT_TRUE(m.IsForProduct(q41));  // the selected product's VARIANTOF
  EXPECT_FALSE(m.IsForProduct(k50));
  ASSERT_TRUE(m.SelectProduct("77K50"));
  EXPECT_TRUE(m.IsForProduct(z9));
  EXPECT_FALSE(m.IsForProduct(q41));
}

TEST(ProductFilter, SelectProduct) {
  DocModel m(Doc(kProducts));
  EXPECT_EQ(m.SelectedProduct(), -1);
  ASSERT_TRUE(m.SelectProduct("77Q41"));
  EXPECT_EQ(m.SelectedProduct(), 1);
  EXPECT_FALSE(m.SelectProduct("77q41"));  // key names are matched exactly
  EXPECT_FALSE(m.SelectProduct("77Q4"));
  EXPECT_EQ(m.SelectedProduct(), 1);
  EXPECT_TRUE(m.SelectProduct("all"));
  EXPECT_EQ(m.SelectedProduct(), -1);
  uint32_t index = 0;
  EXPECT_TRUE(m.FindProduct("77Z9", &index));
  EXPECT_EQ(index, 3u);
  EXPECT_FALSE(m.FindProduct("", &index));
}

TEST(FindFeature, CaseProductAndCache) {
  DocModel m(Doc(std::string(kProducts) + R"(<FEATURES>
<FEATURE KEYNAME="first" TYPE="numb"/>
<FEATURE KEYNAME="panelType" TYPE="numb" REG="0032" PRODUCT="77K50"/>
<FEATURE KEYNAME="main1Saddr" TYPE="numb"/>
<FEATURE KEYNAME="panelType" TYPE="numb" PRODUCT="77Q41"/>
</FEATURES>
)"));
  uint32_t index = 99;
  // The sentinel name of an empty cache is not a feature.
  EXPECT_FALSE(m.FindFeature("invalid", &index));
  EXPECT_TRUE(m.FindFeature("MAIN1SADDR", &index));
  EXPECT_EQ(index, 2u);
  EXPECT_TRUE(m.FindFeature("main1saddr", &index));  // a miss by spelling, same record
  EXPECT_EQ(index, 2u);
  EXPECT_FALSE(m.FindFeature("main1", &index));
  EXPECT_FALSE(m.FindFeature("", &index));
  EXPECT_FALSE(m.FindFeature(nullptr, &index));
  EXPECT_FALSE(m.FindFeature(std::string(128, 'a').c_str(), &index));

  ASSERT_TRUE(m.SelectProduct("77Q41"));
  EXPECT_TRUE(m.FindFeature("paneltype", &index));
  EXPECT_EQ(index, 3u);
  // Another product: the cached answer must not survive the selection.
  ASSERT_TRUE(m.SelectProduct("77K50"));
  EXPECT_TRUE(m.FindFeature("paneltype", &index));
  EXPECT_EQ(index, 1u);
  ASSERT_TRUE(m.SelectProduct("all"));
  EXPECT_TRUE(m.FindFeature("PanelType", &index));
  EXPECT_EQ(index, 1u);  // searched from the feature found last
}

const char* kSpans = R"(<FEATURES>
<FEATURE KEYNAME="addr" TYPE="addr" REG="span" OP1="*2"/>
<FEATURE KEYNAME="addrLSB" TYPE="numb" REG="0238" MASK="FFFE"/>
<FEATURE KEYNAME="addrMSB" TYPE="numb" REG="023A" MASK="000F"/>
<FEATURE KEYNAME="wide" TYPE="numb" REG="span"/>
<FEATURE KEYNAME="wideLSB" TYPE="numb" REG="0300" MASK="00FF"/>
<FEATURE KEYNAME="wideISB" TYPE="numb" REG="0302" MASK="0F00"/>
<FEATURE KEYNAME="wideMSB" TYPE="numb" REG="0304" MASK="0003"/>
<FEATURE KEYNAME="other" TYPE="numb" REG="span" PRODUCT="77K50"/>
</FEATURES>
)";

TEST(SpanAssembly, LimitsFromTheParts) {
  DocModel m(Doc(std::string(kProducts) + kSpans));
  ASSERT_TRUE(m.SelectProduct("77Q41"));
  m.AssembleSpans();  // "other" has no parts, but is not visible for the product
  EXPECT_EQ(m.F("addr").Min, 0u);
  EXPECT_EQ(m.F("addr").Max, 0xFFFFEu);  // 15 + 4 bits, times 2
  EXPECT_EQ(m.F("wide").Max, 0x3FFFu);   // 8 + 4 + 2 bits
}

TEST(SpanAssemblyDeathTest, MissingPartsAreFatal) {
  DocModel m(Doc(std::string(kProducts) + kSpans));
  EXPECT_EXIT(m.AssembleSpans(), testing::ExitedWithCode(99), "");
}

}  // namespace
