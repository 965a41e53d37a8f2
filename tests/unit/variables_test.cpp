#include "lang/variables.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class VariablesTest : public ::testing::Test {
 protected:
  void SetUp() override { DeleteAllVariables(); }
  void TearDown() override { DeleteAllVariables(); }

  static std::vector<std::string> Names(const char* scope) {
    std::vector<std::string> names;
    for (size_t n = 0; const Variable* v = GetNthVariable(n, scope); n++) names.push_back(v->name);
    return names;
  }
};

TEST_F(VariablesTest, AtThePromptOneAndTwoDollarsNameTheSameGlobal) {
  ASSERT_TRUE(SetVariable("$x", Value::Number(5), nullptr));
  ASSERT_TRUE(SetVariable("$$X", Value::Number(6), nullptr));
  Value v;
  ASSERT_TRUE(GetVariable("$x", &v, nullptr));
  EXPECT_EQ(v.number, 6u);
  EXPECT_EQ(Names(nullptr), std::vector<std::string>{"$x"});  // stored with one "$", first spelling
}

TEST_F(VariablesTest, InsideAScriptLocalsAndGlobalsDiffer) {
  ASSERT_TRUE(SetVariable("$x", Value::Text("local"), "init.txt1"));
  ASSERT_TRUE(SetVariable("$$x", Value::Text("global"), "init.txt1"));
  Value v;
  ASSERT_TRUE(GetVariable("$X", &v, "INIT.TXT1"));
  EXPECT_STREQ(v.text, "local");
  ASSERT_TRUE(GetVariable("$$x", &v, "init.txt1"));
  EXPECT_STREQ(v.text, "global");
  EXPECT_FALSE(GetVariable("$x", &v, "other.txt2"));
  EXPECT_EQ(FindVariable("$x", "init.txt1")->scope, "init.txt1");
  EXPECT_EQ(FindVariable("$$x", "init.txt1")->scope, "");
}

TEST_F(VariablesTest, NamesMatchWholeWithoutRegardToCase) {
  ASSERT_TRUE(SetVariable("$ab", Value::Number(1), nullptr));
  Value v;
  EXPECT_FALSE(GetVariable("$a", &v, nullptr));
  EXPECT_FALSE(GetVariable("$abc", &v, nullptr));
  EXPECT_TRUE(GetVariable("$AB", &v, nullptr));
}

TEST_F(VariablesTest, ANumberVariableGivesAnEmptyText) {
  Value odd = Value::Text("left over");
  odd.isText = false;
  odd.number = 9;
  ASSERT_TRUE(SetVariable("$n", odd, nullptr));
  Value v = Value::Text("stale");
  ASSERT_TRUE(GetVariable("$n", &v, nullptr));
  EXPECT_FALSE(v.isText);
  EXPECT_EQ(v.number, 9u);
  EXPECT_STREQ(v.text, "");
}

TEST_F(VariablesTest, TheTableHoldsAThousandAndOverwritesStillWorkWhenFull) {
  for (size_t i = 0; i < kMaxVariables; i++) {
    ASSERT_TRUE(
        SetVariable("$v" + std::to_string(i), Value::Number(i), i % 2 ? "s.txt1" : nullptr));
  }
  EXPECT_FALSE(SetVariable("$one_more", Value::Number(0), nullptr));
  EXPECT_TRUE(SetVariable("$v0", Value::Number(77), nullptr));
  Value v;
  ASSERT_TRUE(GetVariable("$V0", &v, nullptr));
  EXPECT_EQ(v.number, 77u);
}

TEST_F(VariablesTest, DeletingAScopeKeepsTheOthersInOrder) {
  SetVariable("$a", Value::Number(1), nullptr);
  SetVariable("$l1", Value::Number(2), "s.txt1");
  SetVariable("$b", Value::Number(3), nullptr);
  SetVariable("$l2", Value::Number(4), "s.txt1");
  SetVariable("$m", Value::Number(5), "t.txt2");
  SetVariable("$c", Value::Number(6), nullptr);
  EXPECT_EQ(Names("S.TXT1"), (std::vector<std::string>{"$l1", "$l2"}));
  DeleteVariables("s.txt1");
  EXPECT_EQ(Names(nullptr), (std::vector<std::string>{"$a", "$b", "$c"}));
  EXPECT_EQ(Names("s.txt1"), std::vector<std::string>{});
  DeleteVariables(nullptr);  // the globals only
  EXPECT_EQ(Names("t.txt2"), std::vector<std::string>{"$m"});
  EXPECT_EQ(Variables.entries.size(), 1u);
  // The freed entries are reusable: the table is not left with holes.
  ASSERT_TRUE(SetVariable("$d", Value::Number(7), nullptr));
  EXPECT_EQ(Variables.entries.size(), 2u);
}

}  // namespace
