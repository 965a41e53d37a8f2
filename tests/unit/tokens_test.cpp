#include "script/tokens.h"

#include <gtest/gtest.h>

#include <string>

#include "script/variables.h"

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
