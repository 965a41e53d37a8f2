#include "lang/number.h"

#include <gtest/gtest.h>

#include <string>

namespace {

uint32_t Arg(const char* text, int radix = 16) {
  uint32_t n = 0xDEADBEEF;
  EXPECT_EQ(ArgToNum(text, radix, &n), 0) << text;
  return n;
}

TEST(NumberLiterals, EveryRadixSuffixGivesTheSameNumber) {
  for (const char* text : {"2C", "2c", "2Ch", "2ch", "44t", "44T", "54o", "101100i", "101100I"}) {
    EXPECT_EQ(Arg(text), 44u) << text;
  }
}

TEST(NumberLiterals, HexDigitsBAndDAreNotSuffixes) {
  EXPECT_EQ(Arg("10b"), 0x10Bu);
  EXPECT_EQ(Arg("1d"), 0x1Du);
  EXPECT_EQ(Arg("101i"), 5u);
}

TEST(NumberLiterals, DigitsOutsideTheSuffixRadixAreNotNumbers) {
  int radix = 0;
  EXPECT_FALSE(GetNumberRadix("12i", 16, &radix));
  EXPECT_FALSE(GetNumberRadix("19o", 16, &radix));
  EXPECT_FALSE(GetNumberRadix("0x10", 16, &radix));
  EXPECT_FALSE(GetNumberRadix("1h2", 16, &radix));  // a suffix only stands last
  EXPECT_FALSE(IsNumber("12", 2));
  EXPECT_FALSE(IsNumber("1A", 10));
  EXPECT_TRUE(IsNumber("777o", 8));
}

TEST(NumberLiterals, DecimalDefaultRadixStillHonoursHexSuffix) {
  EXPECT_EQ(Arg("100", 10), 100u);
  EXPECT_EQ(Arg("1Ah", 10), 26u);
}

TEST(NumberLiterals, EmptyTextIsZero) {
  EXPECT_EQ(Arg(""), 0u);
}

// A literal wider than 32 bits is refused, never cut to its low bits; leading zeros are fine.
TEST(NumberLiterals, LiteralsWiderThan32BitsAreRefused) {
  struct Row {
    const char* text;
    bool fits;
  };
  const Row rows[] = {
      {"FFFFFFFF", true},
      {"000000000000FFFFFFFFh", true},
      {"1FFFFFFFF", false},
      {"123456789ABCDEF0", false},
      {"4294967295t", true},
      {"4294967296t", false},
      {"37777777777o", true},
      {"40000000000o", false},
      {"11111111111111111111111111111111i", true},
      {"100000000000000000000000000000000i", false},
  };
  for (const Row& row : rows) {
    uint32_t n = 7;
    EXPECT_EQ(ArgToNum(row.text, 16, &n), row.fits ? 0 : -1) << row.text;
    if (!row.fits) {
      EXPECT_EQ(n, 7u) << row.text;
    }
  }
}

TEST(NumberLiterals, NonLiteralsFailWithoutTouchingTheOutput) {
  uint32_t n = 7;
  EXPECT_EQ(ArgToNum("0x10", 16, &n), -1);
  EXPECT_EQ(ArgToNum("zz", 16, &n), -1);
  EXPECT_EQ(n, 7u);
}

TEST(NumToStr, PadsButNeverTruncates) {
  char buf[kNumStrSize];
  EXPECT_STREQ(NumToStr(buf, 0, 2, 0), "0");
  EXPECT_STREQ(NumToStr(buf, 0x3F, 2, 0), "111111");
  EXPECT_STREQ(NumToStr(buf, 0x3F, 2, 8), "00111111");
  EXPECT_STREQ(NumToStr(buf, 0x3F, 2, 3), "111111");
  EXPECT_STREQ(NumToStr(buf, 0xFFFFFFFF, 2, 32), std::string(32, '1').c_str());
  EXPECT_STREQ(NumToStr(buf, 99, 10, 4), "0099");
  EXPECT_STREQ(NumToStr(buf, 0xabc, 16, 0), "ABC");
  EXPECT_STREQ(NumToStr(buf, 8, 8, 0), "10");
  EXPECT_STREQ(NumToStr(buf, 0xFFFFFFFF, 8, 0), "37777777777");
  EXPECT_STREQ(NumToStr(buf, 5, 8, 4), "0005");
}

Value Converted(Value v, const char* spec) {
  const char* message = ConvertValue(&v, spec);
  EXPECT_EQ(message, nullptr) << spec << ": " << (message ? message : "");
  return v;
}

TEST(Converters, NumberToTextInEveryRadixAndPadding) {
  Value n = Value::Number(0x3F);
  EXPECT_EQ(Converted(n, "sh4").View(), "  3F");
  EXPECT_EQ(Converted(n, "st04").View(), "0063");
  EXPECT_EQ(Converted(n, "si").View(), "111111");
  EXPECT_EQ(Converted(n, "si08").View(), "00111111");
  EXPECT_EQ(Converted(n, "s").View(), "3F");
  EXPECT_EQ(Converted(n, "S1").View(), "3F");  // a result longer than the width stays whole
}

TEST(Converters, TextToTextCutsOrFills) {
  EXPECT_EQ(Converted(Value::Text("abc"), "s5").View(), "abc  ");
  EXPECT_EQ(Converted(Value::Text("abcdef"), "s3").View(), "abc");
  EXPECT_EQ(Converted(Value::Text("abcdef"), "s").View(), "abcdef");
}

TEST(Converters, TextToNumberReadsLeadingDigits) {
  Value v = Converted(Value::Text("2Ch"), "nh");
  EXPECT_FALSE(v.isText);
  EXPECT_EQ(v.number, 44u);
  EXPECT_EQ(Converted(Value::Text("123"), "nt2").number, 12u);
  EXPECT_EQ(Converted(Value::Text(" 12"), "nt").number, 0u);
  EXPECT_EQ(Converted(Value::Text("777"), "no").number, 511u);
}

TEST(Converters, BadSpecifiersFailWithTheirMessages) {
  Value n = Value::Number(5);
  EXPECT_STREQ(ConvertValue(&n, "n"), "Cannot convert a numerical value to a numerical value.");
  EXPECT_STREQ(ConvertValue(&n, "x"), "Unknown format specifier.");
  EXPECT_STREQ(ConvertValue(&n, ""), "Unknown format specifier.");
  EXPECT_STREQ(ConvertValue(&n, "s4q"), "Unknown format specifier.");
  EXPECT_FALSE(n.isText);  // a failed conversion leaves the value alone
}

TEST(Converters, HugeWidthsStayWithinTheTextCapacity) {
  EXPECT_EQ(Converted(Value::Number(1), "sh999999999999").View().size(), kTextCapacity);
  EXPECT_EQ(Converted(Value::Text("a"), "s300").View().size(), kTextCapacity);
  EXPECT_EQ(Converted(Value::Number(1), "si040").View(), std::string(31, '0') + "1");
}

TEST(Values, TextIsCutAtCapacityAndTruthFollowsKind) {
  Value v = Value::Text(std::string(300, 'x'));
  EXPECT_EQ(v.View().size(), kTextCapacity);
  EXPECT_TRUE(v.IsTrue());
  EXPECT_FALSE(Value::Text("").IsTrue());
  EXPECT_FALSE(Value::Number(0).IsTrue());
  EXPECT_TRUE(Value::Number(0x80000000).IsTrue());
}

}  // namespace
