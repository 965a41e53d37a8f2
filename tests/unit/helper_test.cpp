#include "base/helper.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(TextHelpers, TranslateEscapes) {
  char text[] = R"(a\tb\\c\"d\n\q\)";
  size_t len = TranslateEscapes(text);
  EXPECT_EQ(std::string(text, len), "a\tb\\c\"d\nq\\");
  char nul[] = R"(x\0y)";
  EXPECT_EQ(TranslateEscapes(nul), 3u);
  EXPECT_EQ(nul[1], '\0');
}

TEST(TextHelpers, LfToCrLfAndRemoveCrAreInverse) {
  char text[32] = "a\nb\r\nc\n";
  LfToCrLf(text, sizeof text);
  EXPECT_STREQ(text, "a\r\nb\r\nc\r\n");
  EXPECT_EQ(RemoveCr(text), 6u);
  EXPECT_STREQ(text, "a\nb\nc\n");
  char lead[8] = "\nx";
  LfToCrLf(lead, sizeof lead);
  EXPECT_STREQ(lead, "\r\nx");
}

TEST(TextHelpers, TruncateWithEllipsis) {
  char out[16];
  TruncateWithEllipsis(out, "short", 10);
  EXPECT_STREQ(out, "short");
  TruncateWithEllipsis(out, "exactly10!", 10);
  EXPECT_STREQ(out, "exactly10!");
  TruncateWithEllipsis(out, "a longer text here", 10);
  EXPECT_STREQ(out, "a longe...");
  TruncateWithEllipsis(out, "abcdef", 2);
  EXPECT_STREQ(out, "..");
}

TEST(TextHelpers, FindWrapPoint) {
  EXPECT_EQ(FindWrapPoint("short", 10), 5u);
  EXPECT_EQ(FindWrapPoint("ab\ncd", 10), 2u);
  EXPECT_EQ(FindWrapPoint("one two three four", 10), 7u);
  EXPECT_EQ(FindWrapPoint("abcdefghijklmnop", 10), 10u);
  EXPECT_EQ(FindWrapPoint("ab\ncd efgh ijklmnop", 10), 2u);  // the LF comes before the blank
}

TEST(TextHelpers, PadColumn) {
  EXPECT_EQ(PadColumn(8, ":", "%s", "ab"), "ab:     ");
  EXPECT_EQ(PadColumn(4, "", "%d", 12345), "12345  ");
  EXPECT_EQ(PadColumn(4, "", "abcd"), "abcd  ");
}

TEST(TextHelpers, PrependStrStaysWithinItsBuffer) {
  char text[8] = "world";
  PrependStr(text, sizeof text, "hi ");
  EXPECT_STREQ(text, "hi worl");
  char small[4] = "x";
  PrependStr(small, sizeof small, "abcdef");
  EXPECT_STREQ(small, "abc");
}

TEST(TextHelpers, NameCompareAndFindNoCase) {
  EXPECT_EQ(NameCompare("HDP", "hdp", 3), 0);
  EXPECT_EQ(NameCompare("hdpx", "HDPY", 3), 0);
  EXPECT_NE(NameCompare("hd", "hdp", 3), 0);  // the first text must have n characters
  EXPECT_EQ(NameCompare("", "", 0), 0);
  EXPECT_EQ(FindNoCase("Main1 Stride", "STRIDE"), 6u);
  EXPECT_EQ(FindNoCase("abc", "abcd"), std::string_view::npos);
  EXPECT_EQ(FindNoCase("abc", ""), 0u);
}

TEST(NumberHelpers, SwapsAndMasks) {
  EXPECT_EQ(Swap16(0x1122), 0x2211);
  EXPECT_EQ(Swap32(0x11223344u), 0x44332211u);
  int low = 0, high = 0;
  GetMaskRange(0, &low, &high);
  EXPECT_EQ(low, -1);
  EXPECT_EQ(high, -1);
  GetMaskRange(0x0F0, &low, &high);
  EXPECT_EQ(low, 4);
  EXPECT_EQ(high, 7);
  GetMaskRange(0xFF00FF00u, &low, &high);  // only the first run of ones counts
  EXPECT_EQ(low, 8);
  EXPECT_EQ(high, 15);
  GetMaskRange(0x80000000u, &low, &high);
  EXPECT_EQ(low, 31);
  EXPECT_EQ(high, 31);
  EXPECT_EQ(ShiftByMask(0xAB0, 0xFF0), 0xABu);
  EXPECT_EQ(ShiftByMask(0x80000000u, 0x80000000u), 1u);
  EXPECT_EQ(ShiftByMask(5, 0), 5u);
}

TEST(NumberHelpers, BitRunsText) {
  EXPECT_EQ(BitRunsText(0), "");
  EXPECT_EQ(BitRunsText(0x0118), "4:3, 8");
  EXPECT_EQ(BitRunsText(0xFE00), "15:9");
  EXPECT_EQ(BitRunsText(0x80000001u), "0, 31");
  EXPECT_EQ(BitRunsText(0xFFFFFFFFu), "31:0");
}

}  // namespace
