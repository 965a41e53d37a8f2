#include <gtest/gtest.h>

#include <string>

#include "chipdef_doc_model.h"

namespace {

TEST(ChipDefLoader, ProductChecksRecordOnlyTheFirstFailure) {
  DocModel m(Doc(R"(<PRODUCTS>
<PRODUCT NAME="x"/>
<PRODUCT KEYNAME="A"/>
<PRODUCT KEYNAME="B" NAME="b"/>
<PRODUCT KEYNAME="C" NAME="c" DESC="d" PREFIX="P" SUFFIX="S" VARIANTOF="A" SPEC="s1"/>
</PRODUCTS>
<CATEGORIES>
<CATEGORY NAME="n"/>
<CATEGORY KEYNAME="k"/>
<CATEGORY KEYNAME="ok" NAME="Fine" RESERVED="A" PRODUCT="B"/>
</CATEGORIES>
)"));
  EXPECT_EQ(m.ErrDiagnoseBuf(),
            "CHIPDEF ERROR: 0th PRODUCT doesn't have a KEYNAME.\n"
            "CHIPDEF ERROR: A PRODUCT does not have a NAME.\n"
            "CHIPDEF ERROR: B PRODUCT does not have a DESC.\n"
            "CHIPDEF ERROR: 0th CATEGORY doesn't have a KEYNAME.\n"
            "CHIPDEF ERROR: k CATEGORY does not have a NAME.\n");
  ASSERT_EQ(m.Products().size(), 4u);  // kept in every case
  ASSERT_EQ(m.Categories().size(), 3u);
  EXPECT_EQ(*m.Products()[3].VariantOf, "A");
  EXPECT_EQ(*m.Products()[3].Spec, "s1");
  EXPECT_EQ(*m.Categories()[2].Reserved, "A");

  EXPECT_STREQ(m.GetProductTitle(TITLE_NAME), "<A Product Was Not Selected>");
  ASSERT_TRUE(m.SelectProduct("C"));
  EXPECT_STREQ(m.GetProductTitle(TITLE_NAME), "c");
  EXPECT_STREQ(m.GetProductTitle(TITLE_NAME | TITLE_PREFIX | TITLE_SUFFIX), "PcS");
  EXPECT_STREQ(m.GetProductTitle(TITLE_DESC), " d");
}

TEST(ChipDefLoader, RegisterAttributesAndWidths) {
  DocModel m(Doc(R"(<REGISTERS>
<REGISTER KEYNAME="A" LEXNAME="R_A" FULLNAME="Reg A" DESC="d" REG="0002" DEFAULT="8888" ACCESS="ro" SAFETEST="y" CATEGORY="c" RESERVED="77Q41" PRODUCT="77K50"/>
<REGISTER LEXNAME="R_B" NAME="Reg B" REG="0300" REGEND="0310" REGSTEP="4" ACCESS="wo"/>
<REGISTER LEXNAME="R_C" NAME="Reg C" REG="0400" BITWIDTH="8" ACCESS="rw"/>
</REGISTERS>
<REGISTERS DEFAULTVALUEWIDTH="2" DEFAULTINDEXWIDTH="3">
<REGISTER LEXNAME="R_D" NAME="Reg D" REG="0500"/>
</REGISTERS>
)"));
  EXPECT_EQ(m.ErrDiagnoseBuf(), "");
  const auto& r = m.Registers();
  ASSERT_EQ(r.size(), 4u);
  EXPECT_EQ(*r[0].KeyName, "R_A");  // the later of LEXNAME and KEYNAME wins
  EXPECT_EQ(*r[0].Name, "Reg A");
  EXPECT_EQ(r[0].Index, 2u);
  EXPECT_EQ(r[0].EndIndex, 2u);  // a single register ends where it starts
  EXPECT_EQ(r[0].BitWidth, 16u);
  EXPECT_EQ(r[0].Default, 0x8888u);
  EXPECT_TRUE(r[0].ReadOnly && r[0].SafeTest && !r[0].WriteOnly);
  EXPECT_EQ(*r[0].Product, "77K50");
  EXPECT_EQ(r[1].EndIndex, 0x310u);
  EXPECT_EQ(r[1].IndexStep, 4u);
  EXPECT_TRUE(r[1].WriteOnly && !r[1].ReadOnly);
  EXPECT_FALSE(r[2].ReadOnly || r[2].WriteOnly);
  EXPECT_EQ(r[2].BitWidth, 8u);
  EXPECT_EQ(r[3].BitWidth, 8u);
  EXPECT_EQ(m.IndexWidth(), 3u);
  EXPECT_EQ(m.ValueWidth(), 2u);
}

TEST(ChipDefLoader, RegisterOrderAndCompletenessChecks) {
  DocModel m(Doc(R"(<REGISTERS>
<REGISTER NAME="no key" REG="0010"/>
<REGISTER LEXNAME="NONAME" REG="0020" BITWIDTH="0"/>
<REGISTER LEXNAME="B" NAME="b" REG="0042"/>
<REGISTER LEXNAME="A" NAME="a" REG="0040"/>
<REGISTER LEXNAME="A2" NAME="a" REG="0040"/>
<REGISTER LEXNAME="F" NAME="f" REG="FFFC" FAKEREG="y"/>
<REGISTER LEXNAME="G" NAME="g" REG="0001" FAKEREG="y"/>
<REGISTER LEXNAME="H" NAME="h" REG="0000"/>
</REGISTERS>
)"));
  EXPECT_EQ(m.ErrDiagnoseBuf(),
            "CHIPDEF ERROR: 0th REGISTER doesn't have a KEYNAME.\n"
            "CHIPDEF ERROR: NONAME REGISTER does not have a NAME.\n"
            "CHIPDEF ERROR: REG[0020] is not assigned a proper BITWIDTH.\n"
            "CHIPDEF ERROR: REG[0040] is not sorted in an ascending order.\n"
            "CHIPDEF ERROR: REG[0040] is defined twice.\n"
            // a fake register is never compared, but the next one is compared with it
            "CHIPDEF ERROR: REG[0000] is not sorted in an ascending order.\n");
  EXPECT_EQ(m.Registers().size(), 8u);
}

TEST(ChipDefLoader, KeyNamesAndAbbreviations) {
  DocModel m(Features(R"(<FEATURE KEYNAME="main1Saddr" TYPE="numb"/>
<FEATURE KEYNAME="gpio22c" TYPE="numb"/>
<FEATURE KEYNAME="pll-clk-Src" TYPE="numb"/>
<FEATURE KEYNAME="Top" TYPE="numb"/>
)"));
  EXPECT_EQ(m.ErrDiagnoseBuf(), "");
  const auto& f = m.Features();
  EXPECT_EQ(f[0].KeyName, "main1saddr");
  EXPECT_EQ(f[0].AbbrevLen, 5u);
  EXPECT_EQ(f[1].KeyName, "gpio22c");
  EXPECT_EQ(f[1].AbbrevLen, kNoAbbrev);
  EXPECT_EQ(f[2].KeyName, "pllclksrc");
  EXPECT_EQ(f[2].AbbrevLen, 3u);
  EXPECT_EQ(f[3].KeyName, "top");
  EXPECT_EQ(f[3].AbbrevLen, 0u);
}

TEST(ChipDefLoader, ReservedFieldsGetGeneratedNames) {
  DocModel m(Features(R"(<FEATURE KEYNAME="reserved" REG="0014" MASK="0018"/>
<FEATURE KEYNAME="RESERVED" REG="0014" MASK="FF00" TYPE="list"/>
<FEATURE KEYNAME="Reserved" REG="0050" MASK="0008" PRODUCT="77Q41"/>
<FEATURE RESERVED="77K50" KEYNAME="reserved" TYPE="numb"/>
<FEATURE RESERVED="77K50" KEYNAME="reserved" TYPE="numb"/>
<FEATURE KEYNAME="reserved" RESERVED="77K50" REG="A" MASK="1"/>
)"));
  // The two features keyed "reserved" by a preceding RESERVED are never reported as duplicates.
  EXPECT_EQ(m.ErrDiagnoseBuf(), "");
  const auto& f = m.Features();
  ASSERT_EQ(f.size(), 6u);
  EXPECT_EQ(f[0].KeyName, "rsvd14b4to3");
  EXPECT_EQ(f[0].Type, FT_NUMB);
  EXPECT_EQ(*f[0].Reserved, "all");
  EXPECT_EQ(f[1].KeyName, "rsvd14b15to8");
  EXPECT_EQ(f[1].Type, FT_NUMB);  // forced, whatever the document says
  EXPECT_EQ(f[2].KeyName, "rsvd50b3");
  EXPECT_EQ(*f[2].Product, "77Q41");
  EXPECT_EQ(f[3].KeyName, "reserved");
  EXPECT_EQ(*f[3].Reserved, "77K50");
  EXPECT_EQ(f[5].KeyName, "rsvdAb0");
  EXPECT_EQ(*f[5].Reserved, "all");  // only the first RESERVED of a tag counts
}

TEST(ChipDefLoader, FeatureChecks) {
  DocModel m(Features(R"(<FEATURE NAME="nameless" TYPE="numb"/>
<FEATURE KEYNAME="dup" TYPE="numb" PRODUCT="77K50"/>
<FEATURE KEYNAME="Dup" TYPE="numb" PRODUCT="77Q41"/>
<FEATURE KEYNAME="dUP" TYPE="numb"/>
<FEATURE KEYNAME="odd" TYPE="Numb"/>
<FEATURE KEYNAME="outer" TYPE="numb">
<FEATURE KEYNAME="inner" TYPE="numb"/>
</FEATURE>
)"));
  EXPECT_EQ(m.ErrDiagnoseBuf(),
            "CHIPDEF ERROR: 0th FEATURE doesn't have a KEYNAME.\n"
            "CHIPDEF ERROR: dup is defined twice.\n"
            "CHIPDEF ERROR: dup is defined twice.\n"  // once per earlier definition
            "CHIPDEF ERROR: dup is defined twice.\n"
            "CHIPDEF ERROR: odd has an unknown TYPE.\n"
            "CHIPDEF ERROR: outer has a child FEATURE.\n");
  EXPECT_EQ(m.Features().size(), 7u);
}

TEST(ChipDefLoader, FeatureDefaultsAndAttributes) {
  DocModel m(Features(R"(<FEATURE KEYNAME="plain" TYPE="numb"/>
<FEATURE KEYNAME="full" FULLNAME="Full" DESC="d" UNIT=" pixels" TYPE="numb" REG="0042" MASK="01FF" REGEND="0050" REGSTEP="2" STEP="5A" RADIX="bin" OFFSETOF="disp" ACCESS="wo" NEEDCODE="y" OVERLAP="y" REDRAWPATTERN="y" RESERVED="77K50" PRODUCT="77Q41" INFLUENCES="x"/>
<FEATURE KEYNAME="a1" RADIX="bin" TYPE="addr" OFFSETOF="base"/>
<FEATURE KEYNAME="a2" TYPE="addr" RADIX="bin" OFFSETOF="Disp" ACCESS="ro"/>
<FEATURE KEYNAME="r" TYPE="numb" RADIX="hex"/>
<FEATURE KEYNAME="s" TYPE="numb" REG="span"/>
)"));
  EXPECT_EQ(m.ErrDiagnoseBuf(), "");
  const FeatureRec& plain = m.F("plain");
  EXPECT_EQ(plain.Step, 1u);
  EXPECT_EQ(plain.Radix, 10u);
  EXPECT_EQ(plain.OffsetOf, OFFSETOF_SYS);
  EXPECT_EQ(plain.Reg, kAllOnes);
  EXPECT_EQ(plain.Mask, kAllOnes);
  EXPECT_EQ(plain.Min, 0u);
  EXPECT_EQ(plain.Max, kAllOnes);
  EXPECT_FALSE(plain.Name || plain.Unit || plain.Op1 || plain.Reserved || plain.Product);

  const FeatureRec& full = m.F("full");
  EXPECT_EQ(*full.Name, "Full");
  EXPECT_EQ(*full.Unit, " pixels");
  EXPECT_EQ(full.Reg, 0x42u);
  EXPECT_EQ(full.Mask, 0x1FFu);
  EXPECT_EQ(full.RegEnd, 0x50u);
  EXPECT_EQ(full.RegStep, 2u);
  EXPECT_EQ(full.Step, 0x5Au);
  EXPECT_EQ(full.Radix, 2u);
  EXPECT_EQ(full.OffsetOf, OFFSETOF_DISP);
  EXPECT_TRUE(full.WriteOnly && full.NeedCode && full.Overlap && full.RedrawPattern);
  EXPECT_FALSE(full.ReadOnly || full.Span);
  EXPECT_EQ(*full.Influences, "x");

  EXPECT_EQ(m.F("a1").Radix, 16u);  // addr shows hexadecimal, whatever came before
  EXPECT_EQ(m.F("a1").OffsetOf, OFFSETOF_BASE);
  EXPECT_EQ(m.F("a2").Radix, 16u);              // and a RADIX after it is ignored
  EXPECT_EQ(m.F("a2").OffsetOf, OFFSETOF_SYS);  // values are compared exactly
  EXPECT_TRUE(m.F("a2").ReadOnly);
  EXPECT_EQ(m.F("r").Radix, 16u);
  EXPECT_TRUE(m.F("s").Span);
  EXPECT_EQ(m.F("s").Reg, kAllOnes);
}

TEST(ChipDefLoader, DerivedLimits) {
  DocModel m(Features(R"(<FEATURE KEYNAME="hdp" TYPE="numb" MASK="01FF" OP1="+1" OP2="*2"/>
<FEATURE KEYNAME="given" TYPE="numb" MASK="01FF" OP1="+1" MIN="10" MAX="20"/>
<FEATURE KEYNAME="minonly" TYPE="freq" MASK="00F0" MIN="3"/>
<FEATURE KEYNAME="wrap" TYPE="addr" OP1="+1"/>
<FEATURE KEYNAME="lst" TYPE="list" MASK="000F" OP1="+1"><FEATUREVALUE INDEX="0" VALUE="a"/></FEATURE>
)"));
  EXPECT_EQ(m.ErrDiagnoseBuf(), "");
  EXPECT_EQ(m.F("hdp").Min, 2u);
  EXPECT_EQ(m.F("hdp").Max, 1024u);
  EXPECT_EQ(m.F("given").Min, 0x10u);
  EXPECT_EQ(m.F("given").Max, 0x20u);
  EXPECT_EQ(m.F("minonly").Min, 3u);
  EXPECT_EQ(m.F("minonly").Max, 0xFu);
  EXPECT_EQ(m.F("wrap").Max, 0u);  // all ones plus one wraps
  EXPECT_EQ(m.F("lst").Max, 0u);   // only numb, addr and freq get limits
}

TEST(ChipDefLoader, BoolFeaturesGetTheirTwoValues) {
  DocModel m(Features(R"(<FEATURE KEYNAME="on" TYPE="bool" MASK="0001"/>
<FEATURE KEYNAME="off" TYPE="bool" MASK="0002" INVERTED="y"/>
)"));
  const FeatureRec& on = m.F("on");
  ASSERT_EQ(on.Values.size(), 2u);
  EXPECT_EQ(on.Values[0].Index, 0u);
  EXPECT_EQ(*on.Values[0].Value, "False");
  EXPECT_EQ(on.Values[1].Index, 1u);
  EXPECT_EQ(on.Values[1].ToIndex, 1u);
  EXPECT_EQ(*on.Values[1].Value, "True");
  const FeatureRec& off = m.F("off");
  EXPECT_TRUE(off.Inverted);
  EXPECT_EQ(*off.Values[0].Value, "True");
  EXPECT_EQ(*off.Values[1].Value, "False");
}

TEST(ChipDefLoader, FeatureValues) {
  DocModel m(Features(R"(<FEATURE KEYNAME="lst" TYPE="list" MASK="0007">
<FEATUREVALUE INDEX="5" TOINDEX="2" VALUE="five"/>
<FEATUREVALUE INDEX="1" TOINDEX="3" READVALUE="r" WRITEVALUE="w" RESERVED="77K50" PRODUCT="77Q41"/>
<FEATUREVALUE INDEX="6"/>
</FEATURE>
<FEATURE KEYNAME="num" TYPE="numb">
<FEATUREVALUE INDEX="0" VALUE="a"/>
<FEATUREVALUE INDEX="1" VALUE="b"/>
</FEATURE>
<FEATURE KEYNAME="yes" TYPE="bool"><FEATUREVALUE INDEX="0" VALUE="x"/></FEATURE>
<FEATURE KEYNAME="empty" TYPE="list"/>
<FEATURE KEYNAME="coded" TYPE="list" NEEDCODE="y"/>
)"));
  EXPECT_EQ(m.ErrDiagnoseBuf(),
            "CHIPDEF ERROR: lst has a FEATUREVALUEs but one of them isn't NAMEd.\n"
            "CHIPDEF ERROR: num has a FEATUREVALUEs but is not defined as TYPE=\"list\".\n"
            "CHIPDEF ERROR: num has a FEATUREVALUEs but is not defined as TYPE=\"list\".\n"
            "CHIPDEF ERROR: yes has a FEATUREVALUEs but is not defined as TYPE=\"list\".\n"
            "CHIPDEF ERROR: empty is missing FEATUREVALUEs.\n");
  const FeatureRec& lst = m.F("lst");
  ASSERT_EQ(lst.Values.size(), 3u);
  EXPECT_EQ(lst.Values[0].Index, 5u);
  EXPECT_EQ(lst.Values[0].ToIndex, 5u);  // raised to INDEX
  EXPECT_EQ(lst.Values[1].ToIndex, 3u);
  EXPECT_EQ(*lst.Values[1].ReadValue, "r");
  EXPECT_EQ(*lst.Values[1].WriteValue, "w");
  EXPECT_FALSE(lst.Values[1].Value);
  EXPECT_EQ(*lst.Values[1].Product, "77Q41");
  EXPECT_TRUE(m.F("num").Values.empty());
  EXPECT_EQ(m.F("yes").Values.size(), 2u);  // the generated pair only
  // Values under a feature that is not a list do not reach the next list.
  EXPECT_TRUE(m.F("empty").Values.empty());
  EXPECT_TRUE(m.F("coded").Values.empty());
}

TEST(ChipDefLoader, AtMostFiftyValuesPerFeature) {
  std::string body = "<FEATURE KEYNAME=\"big\" TYPE=\"list\">\n";
  for (int i = 0; i < 52; i++) {
    body += "<FEATUREVALUE INDEX=\"" + std::to_string(i) + "\" VALUE=\"v\"/>\n";
  }
  body += "</FEATURE>\n";
  DocModel m(Features(body));
  EXPECT_EQ(m.ErrDiagnoseBuf(),
            "CHIPDEF ERROR: Number of FEATUREVALUEs exceeded maximum of 50.\n"
            "CHIPDEF ERROR: Number of FEATUREVALUEs exceeded maximum of 50.\n");
  EXPECT_EQ(m.F("big").Values.size(), ChipDefBase::MaxFValues);
}

TEST(ChipDefLoader, MessagesStopBeforeTheBufferIsFull) {
  std::string body;
  for (int i = 0; i < 200; i++) body += "<FEATURE KEYNAME=\"k" + std::to_string(i) + "\"/>\n";
  DocModel m(Features(body));
  const std::string& buf = m.ErrDiagnoseBuf();
  EXPECT_LT(buf.size() + 256, ChipDefBase::kErrDiagnoseSize);
  EXPECT_GT(buf.size() + 256 + 40, ChipDefBase::kErrDiagnoseSize);
  EXPECT_EQ(buf.back(), '\n');  // whole messages only
  EXPECT_EQ(m.Features().size(), 200u);
}

TEST(ChipDefLoader, SyntaxErrorsAndReloading) {
  DocModel m(Features("<FEATURE KEYNAME=\"a\" TYPE=\"numb\"/>\n<FEATURE KEYNAME=\"b\"\n"));
  EXPECT_EQ(m.ErrDiagnoseBuf(), "CHIPDEF ERROR: XML syntax error in line 5.\n");
  EXPECT_EQ(m.Features().size(), 1u);
  // A loaded model is never loaded again.
  const char* again[] = {"<CHIPDEF><FEATURES><FEATURE KEYNAME=\"c\"/></FEATURES></CHIPDEF>"};
  m.LoadChipDef(again, 1);
  EXPECT_EQ(m.Features().size(), 1u);
  // Unknown elements and attributes are ignored without a message.
  DocModel quiet(Doc("<UNKNOWN X=\"1\"/>\n<FEATURES><IGNORE TEXT=\"--\"/></FEATURES>\n"));
  EXPECT_EQ(quiet.ErrDiagnoseBuf(), "");
}

}  // namespace
