#include "interp/args.h"

#include <gtest/gtest.h>

#include <string>

#include "console/output.h"

namespace {

struct Split {
  ArgSlot words[kMaxArgs];
  bool cut = false;
  int count;
  explicit Split(const std::string& text)
      : count(SplitArgs(text.data(), text.size(), words, &cut)) {
    // Measuring alone finds the same.
    bool measuredCut = false;
    EXPECT_EQ(SplitArgs(text.data(), text.size(), nullptr, &measuredCut), count);
    EXPECT_EQ(measuredCut, cut);
  }
};

TEST(SplitArgs, BlanksSeparateWordsAndUnusedSlotsAreEmpty) {
  Split s(" \tr16  100\t200 ");
  ASSERT_EQ(s.count, 3);
  EXPECT_STREQ(s.words[0], "r16");
  EXPECT_STREQ(s.words[1], "100");
  EXPECT_STREQ(s.words[2], "200");
  for (int i = 3; i < kMaxArgs; i++) EXPECT_STREQ(s.words[i], "") << i;
  EXPECT_EQ(Split("").count, 0);
  EXPECT_EQ(Split("   ").count, 0);
}

TEST(SplitArgs, QuotesAndBracketsKeepBlanksInsideOneWord) {
  Split s(R"(print "a b \"c\" d"x reg[ 1 + 2 ] (3 (4) 5) y)");
  ASSERT_EQ(s.count, 5);
  EXPECT_STREQ(s.words[1], R"("a b \"c\" d"x)");
  EXPECT_STREQ(s.words[2], "reg[ 1 + 2 ]");
  EXPECT_STREQ(s.words[3], "(3 (4) 5)");
  EXPECT_STREQ(s.words[4], "y");
}

TEST(SplitArgs, UnbalancedQuotesAndBracketsEndAtTheEnd) {
  Split q(R"(print "never closed ; really)");
  ASSERT_EQ(q.count, 2);
  EXPECT_STREQ(q.words[1], R"("never closed ; really)");
  Split b("x [1 [2] 3");
  ASSERT_EQ(b.count, 2);
  EXPECT_STREQ(b.words[1], "[1 [2] 3");
  Split e(R"(a "ends in backslash\)");
  EXPECT_STREQ(e.words[1], R"("ends in backslash\)");
}

TEST(SplitArgs, LongWordsAreCutToTheSlotAndSaySo) {
  EXPECT_FALSE(Split("w " + std::string(255, 'a')).cut);
  EXPECT_FALSE(Split("p \"" + std::string(252, 'q') + "\"").cut);
  Split plain("w " + std::string(400, 'a') + " next");
  EXPECT_TRUE(plain.cut);
  ASSERT_EQ(plain.count, 3);
  EXPECT_EQ(std::string(plain.words[1]), std::string(255, 'a'));
  EXPECT_STREQ(plain.words[2], "next");
  Split quoted("p \"" + std::string(400, 'q') + "\" next");
  EXPECT_TRUE(quoted.cut);
  ASSERT_EQ(quoted.count, 3);
  EXPECT_EQ(std::string(quoted.words[1]).size(), 255u);
  // A group stops at 254 characters; what follows the cut starts over as ordinary text.
  Split bracket("p (" + std::string(400, ' ') + ")");
  EXPECT_TRUE(bracket.cut);
  ASSERT_EQ(bracket.count, 3);
  EXPECT_EQ(std::string(bracket.words[1]).size(), 254u);
  EXPECT_STREQ(bracket.words[2], ")");
  // A bracket after a word already at the group limit is kept, and the split moves on.
  Split full("w " + std::string(300, 'a') + "(x) y");
  ASSERT_EQ(full.count, 3);
  EXPECT_STREQ(full.words[2], "y");
}

TEST(SplitArgs, GroupsAfterAFullWordStillMoveOn) {
  Split s(std::string(300, 'a') + "((([[\"\"]]))) b");
  ASSERT_EQ(s.count, 2);
  EXPECT_EQ(std::string(s.words[0]), std::string(255, 'a'));
  EXPECT_STREQ(s.words[1], "b");
}

TEST(SplitArgs, StopsAt128Words) {
  std::string text;
  for (int i = 0; i < 200; i++) text += "w ";
  EXPECT_EQ(Split(text).count, kMaxArgs);
}

TEST(ArgRoutines, BaseNameLength) {
  EXPECT_EQ(BaseNameLength("d16"), 1u);
  EXPECT_EQ(BaseNameLength("fdump32"), 5u);
  EXPECT_EQ(BaseNameLength("xr"), 2u);
}

class ArgRoutinesQuiet : public ::testing::Test {
 protected:
  void SetUp() override { Output.VerboseMask = 0; }
  void TearDown() override { Output.VerboseMask = CH_ALL; }
};

TEST_F(ArgRoutinesQuiet, UnitFromNameRemembersTheUnit) {
  uint32_t remembered = 1, unit = 0;
  EXPECT_TRUE(UnitFromName("r16", &remembered, &unit));
  EXPECT_EQ(unit, 2u);
  EXPECT_TRUE(UnitFromName("r", &remembered, &unit));
  EXPECT_EQ(unit, 2u);
  EXPECT_TRUE(UnitFromName("r32", &remembered, &unit));
  EXPECT_EQ(unit, 4u);
  EXPECT_TRUE(UnitFromName("r64", &remembered, &unit));
  EXPECT_EQ(unit, 8u);
  for (const char* bad : {"r12", "r0", "r8x"}) {
    EXPECT_FALSE(UnitFromName(bad, &remembered, &unit)) << bad;
  }
  EXPECT_EQ(remembered, 8u);
}

TEST_F(ArgRoutinesQuiet, ParseStartRepeatsAndStepsBack) {
  uint32_t start = 0;
  EXPECT_TRUE(ParseStart("", 0x100, 0x40, &start));
  EXPECT_EQ(start, 0x100u);
  EXPECT_TRUE(ParseStart(".", 0x100, 0x40, &start));
  EXPECT_EQ(start, 0xC0u);
  EXPECT_TRUE(ParseStart("..", 0x100, 0x40, &start));
  EXPECT_EQ(start, 0x80u);
  EXPECT_TRUE(ParseStart("..", 0x10, 0x40, &start));
  EXPECT_EQ(start, 0u);
  EXPECT_TRUE(ParseStart("1003", 0, 0, &start));
  EXPECT_EQ(start, 0x1003u);
  EXPECT_FALSE(ParseStart("zz", 0, 0, &start));
}

TEST_F(ArgRoutinesQuiet, ParseEndOrLen) {
  uint32_t len = 0;
  EXPECT_TRUE(ParseEndOrLen("", 0x1000, 2, 0x80, &len));
  EXPECT_EQ(len, 0x80u);
  EXPECT_TRUE(ParseEndOrLen(".", 0x1000, 2, 0x80, &len));
  EXPECT_EQ(len, 0x80u);
  EXPECT_TRUE(ParseEndOrLen("L4", 0x1003, 1, 0, &len));
  EXPECT_EQ(len, 4u);
  EXPECT_TRUE(ParseEndOrLen("l10", 0, 4, 0, &len));
  EXPECT_EQ(len, 0x40u);
  EXPECT_TRUE(ParseEndOrLen("100F", 0x1000, 2, 0, &len));
  EXPECT_EQ(len, 0x11u);  // the end unit is included
  EXPECT_TRUE(ParseEndOrLen("1000", 0x1000, 4, 0, &len));
  EXPECT_EQ(len, 4u);
  EXPECT_FALSE(ParseEndOrLen("FFF", 0x1000, 1, 0, &len));  // below the start
  EXPECT_FALSE(ParseEndOrLen("Lzz", 0, 1, 0, &len));
  EXPECT_TRUE(ParseEndOrLen("FFFFFFFF", 0, 4, 0, &len));
  EXPECT_EQ(len, 0xFFFFFFFFu);  // the full range saturates instead of wrapping to 3
}

}  // namespace
