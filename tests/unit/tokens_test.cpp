#include "lang/tokens.h"

#include <gtest/gtest.h>

#include <string>

#include "lang/value.h"
#include "lang/variables.h"

namespace {

class AssignTargetTest : public ::testing::Test {
 protected:
  void SetUp() override { DeleteAllVariables(); }
  void TearDown() override { DeleteAllVariables(); }
};

TEST_F(AssignTargetTest, DollarTargetsAreVariablesOfThePromptScope) {
  const char* message = "";
  ASSERT_EQ(AssignTarget("$x", Value::Text("abc"), false, &message), 0);
  ASSERT_EQ(AssignTarget("$$X", Value::Number(3), false, &message), 0);
  Value v;
  ASSERT_TRUE(GetVariable("$x", &v, nullptr));
  EXPECT_EQ(v.number, 3u);
  EXPECT_FALSE(v.isText);
}

TEST_F(AssignTargetTest, AFullTableFailsAtTheTargetsFirstColumn) {
  for (size_t i = 0; i < kMaxVariables; i++) {
    ASSERT_TRUE(SetVariable("$v" + std::to_string(i), Value::Number(0), nullptr));
  }
  const char* message = "";
  EXPECT_EQ(AssignTarget("$new", Value::Number(1), false, &message), 1);
  EXPECT_STREQ(message, "Failed to create user variable; exceeded maximum number of variables.");
  EXPECT_EQ(AssignTarget("$v999", Value::Number(1), false, &message), 0);
}

}  // namespace

namespace {

struct RegBits {
  const char* contents;
  uint32_t index, mask, high, low;
};

TEST(ParseRegBits, AcceptsTheExactBitRangeForms) {
  const RegBits good[] = {
      {"0012h-b3:2", 0x12, 0xC, 3, 2},  {"12-b3", 0x12, 0x8, 3, 3},
      {"a0-B0", 0xA0, 0x1, 0, 0},       {"0-b31:0", 0, 0xFFFFFFFF, 31, 0},
      {"4-b31", 4, 0x80000000, 31, 31},
  };
  for (const RegBits& g : good) {
    uint32_t index = 0, mask = 0, high = 0, low = 0;
    ASSERT_TRUE(ParseRegBits(g.contents, &index, &mask, &high, &low)) << g.contents;
    EXPECT_EQ(index, g.index) << g.contents;
    EXPECT_EQ(mask, g.mask) << g.contents;
    EXPECT_EQ(high, g.high) << g.contents;
    EXPECT_EQ(low, g.low) << g.contents;
  }
}

TEST(ParseRegBits, RefusesEverythingElse) {
  // Reversed ranges, expressions, missing digits, stray text and bits past the register.
  for (const char* bad : {"0012h-b2:3", "$i-b3", "12", "12-b", "12-b3:", "12H-b3", "12h-b3x", "-b3",
                          "12-c3", "12-b32", "12-b3:2:1", "12 -b3", "123456789-b1"}) {
    uint32_t index = 0, mask = 0, high = 0, low = 0;
    EXPECT_FALSE(ParseRegBits(bad, &index, &mask, &high, &low)) << bad;
  }
}

// Token faults found before any register or memory is reached, with their positions: reading
// (get), storing a number or a text (set, text), and the "." prompt of SET (prompt).
TEST(Tokens, FaultsAtTheirPositions) {
  enum Op { kGet, kSet, kText, kPrompt };
  struct Fault {
    Op op;
    const char* token;
    int pos;
    const char* message;
  };
  const Fault faults[] = {
      {kGet, "reg[28", 4, "Missing closing bracket."},
      {kGet, "disp[]", 6, "Missing contents in brackets."},
      {kGet, "foo[1]", 1, "Unknown array."},
      {kGet, "reg[zz]", 5, "Invalid syntax."},
      {kGet, "reg[1+]", 5, "Invalid syntax."},
      {kGet, "arg[0]", 1, "ARG does not exist (only in script files)."},
      {kGet, "ARGN", 1, "ARGN does not exist (only in script files)."},
      {kGet, "retval", 1, "RETVAL does not exist (only in script files)."},
      {kGet, "sys32[0]", 7, "The program cannot access memory at this address."},
      {kSet, "retval", 1, "RETVAL does not exist (only in script files)."},
      {kSet, "arg[1]", 1, "ARG[] is read-only and cannot be set."},
      {kSet, "argn", 1, "ARGN is read-only and cannot be set."},
      {kSet, "sys[10]", 5, "The program cannot access memory at this address."},
      {kText, "reg[28]", 9, "Cannot use string value."},
      {kText, "disp16[0]", 11, "Cannot use string value"},
      {kPrompt, "argn", 1, "ARGN is read-only and cannot be set."},
      {kPrompt, "arg[0]", 1, "ARG[] is read-only and cannot be set."},
      {kPrompt, "sys[0]", 1, "Not supported."},
      {kPrompt, "disp[0]", 1, "Not supported."},
  };
  for (const Fault& f : faults) {
    Value v;
    const char* message = "";
    int pos = f.op == kGet    ? GetToken(f.token, &v, false, &message)
              : f.op == kSet  ? SetToken(f.token, Value::Number(1), false, &message)
              : f.op == kText ? SetToken(f.token, Value::Text("x"), false, &message)
                              : PromptToken(f.token, &message);
    EXPECT_EQ(pos, f.pos) << f.token;
    EXPECT_STREQ(message, f.message) << f.token;
  }
}

// Without an acquired controller (as under /nocard) the bus is never reached.
TEST(Tokens, RegistersAndMemoryNeedTheController) {
  for (const char* token : {"reg[42]", "reg[0012h-b3:2]", "disp16[0]", "bem[0]"}) {
    Value v;
    const char* message = "";
    EXPECT_EQ(GetToken(token, &v, false, &message), 1) << token;
    EXPECT_STREQ(message, "The LCD controller was not acquired.") << token;
    EXPECT_EQ(SetToken(token, Value::Number(1), false, &message), 1) << token;
  }
}

// RAND reads the generator; setting it seeds it.
TEST(Tokens, RandReadsAndSeeds) {
  const char* message = "";
  Value v;
  ASSERT_EQ(SetToken("RAND", Value::Number(1), false, &message), 0);
  ASSERT_EQ(GetToken("rand", &v, false, &message), 0);
  EXPECT_EQ(v.number, 16807u);
  ASSERT_EQ(SetToken("rand", Value::Number(0), false, &message), 0);
  ASSERT_EQ(GetToken("rand", &v, false, &message), 0);
  EXPECT_EQ(v.number, 0u);
  ASSERT_EQ(SetToken("rand", Value::Number(1), false, &message), 0);
}

}  // namespace
