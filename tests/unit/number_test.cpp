#include "lang/number.h"

#include <gtest/gtest.h>

#include <string>

namespace {

uint32_t Arg(const char* text, int radix = 16) {
  uint32_t n = 0xDEADBEEF;
  EXPECT_EQ(ArgToNum(text, radix, &n), 0) << text;
  return n;
}

// Every radix suffix; b and d are hexadecimal digits, not suffixes; a decimal default radix still
// honours the hexadecimal suffix; the empty text is 0; leading zeros do not count against 32 bits.
TEST(NumberLiterals, SuffixesRadixesAndLeadingZeros) {
  for (const char* text : {"2C", "2c", "2Ch", "2ch", "44t", "44T", "54o", "101100i", "101100I"}) {
    EXPECT_EQ(Arg(text), 44u) << text;
  }
  const std::pair<const char*, uint32_t> rows[] = {{"10b", 0x10B},
                                                   {"1d", 0x1D},
                                                   {"101i", 5},
                                                   {"", 0},
                                                   {"000000000000FFFFFFFFh", 0xFFFFFFFF},
                                                   {"4294967295t", 0xFFFFFFFF},
                                                   {"37777777777o", 0xFFFFFFFF}};
  for (const auto& [text, value] : rows) EXPECT_EQ(Arg(text), value) << text;
  EXPECT_EQ(Arg("100", 10), 100u);
  EXPECT_EQ(Arg("1Ah", 10), 26u);
}

// A literal wider than 32 bits is refused, never cut to its low bits; the output stays as it was.
TEST(NumberLiterals, LiteralsWiderThan32BitsAreRefused) {
  for (const char* text : {"1FFFFFFFF", "123456789ABCDEF0", "4294967296t", "40000000000o",
                           "100000000000000000000000000000000i"}) {
    uint32_t n = 7;
    EXPECT_EQ(ArgToNum(text, 16, &n), -1) << text;
    EXPECT_EQ(n, 7u) << text;
  }
}

TEST(NumberLiterals, DigitsOutsideTheSuffixRadixAreNotNumbers) {
  int radix = 0;
  // A suffix only stands last.
  for (const char* text : {"12i", "19o", "0x10", "1h2"}) {
    EXPECT_FALSE(GetNumberRadix(text, 16, &radix)) << text;
  }
  EXPECT_FALSE(IsNumber("12", 2));
  EXPECT_FALSE(IsNumber("1A", 10));
  EXPECT_TRUE(IsNumber("777o", 8));
  // Non-literals fail without touching the output.
  uint32_t n = 7;
  EXPECT_EQ(ArgToNum("0x10", 16, &n), -1);
  EXPECT_EQ(ArgToNum("zz", 16, &n), -1);
  EXPECT_EQ(n, 7u);
}

TEST(NumToStr, PadsButNeverTruncates) {
  struct Row {
    uint32_t value;
    int radix, width;
    std::string text;
  };
  const Row rows[] = {{0, 2, 0, "0"},
                      {0x3F, 2, 0, "111111"},
                      {0x3F, 2, 8, "00111111"},
                      {0x3F, 2, 3, "111111"},
                      {0xFFFFFFFF, 2, 32, std::string(32, '1')},
                      {99, 10, 4, "0099"},
                      {0xabc, 16, 0, "ABC"},
                      {8, 8, 0, "10"},
                      {0xFFFFFFFF, 8, 0, "37777777777"},
                      {5, 8, 4, "0005"}};
  char buf[kNumStrSize];
  for (const Row& r : rows) EXPECT_EQ(NumToStr(buf, r.value, r.radix, r.width), r.text);
}

Value Converted(Value v, const char* spec) {
  const char* message = ConvertValue(&v, spec);
  EXPECT_EQ(message, nullptr) << spec << ": " << (message ? message : "");
  return v;
}

// Numbers to text in every radix and padding (a result longer than the width stays whole),
// texts cut or filled, texts to numbers from their leading digits; huge widths stay within the
// text capacity, and zero padding stops at 32 digits.
TEST(Converters, EveryDirectionAndWidth) {
  const std::pair<const char*, const char*> numbers[] = {{"sh4", "  3F"},  {"st04", "0063"},
                                                         {"si", "111111"}, {"si08", "00111111"},
                                                         {"s", "3F"},      {"S1", "3F"}};
  for (const auto& [spec, text] : numbers)
    EXPECT_EQ(Converted(Value::Number(0x3F), spec).View(), text);
  EXPECT_EQ(Converted(Value::Text("abc"), "s5").View(), "abc  ");
  EXPECT_EQ(Converted(Value::Text("abcdef"), "s3").View(), "abc");
  EXPECT_EQ(Converted(Value::Text("abcdef"), "s").View(), "abcdef");
  Value v = Converted(Value::Text("2Ch"), "nh");
  EXPECT_FALSE(v.isText);
  EXPECT_EQ(v.number, 44u);
  EXPECT_EQ(Converted(Value::Text("123"), "nt2").number, 12u);
  EXPECT_EQ(Converted(Value::Text(" 12"), "nt").number, 0u);
  EXPECT_EQ(Converted(Value::Text("777"), "no").number, 511u);
  EXPECT_EQ(Converted(Value::Number(1), "sh999999999999").View().size(), kTextCapacity);
  EXPECT_EQ(Converted(Value::Text("a"), "s300").View().size(), kTextCapacity);
  EXPECT_EQ(Converted(Value::Number(1), "si040").View(), std::string(31, '0') + "1");
}

TEST(Converters, BadSpecifiersFailWithTheirMessages) {
  Value n = Value::Number(5);
  EXPECT_STREQ(ConvertValue(&n, "n"), "Cannot convert a numerical value to a numerical value.");
  for (const char* spec : {"x", "", "s4q"}) {
    EXPECT_STREQ(ConvertValue(&n, spec), "Unknown format specifier.") << spec;
  }
  EXPECT_FALSE(n.isText);  // a failed conversion leaves the value alone
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
