// SET's "." path on a real terminal: a feature's range and prompt, and a register's bit choice.
#include "terminal.h"

namespace {

TEST(SetPrompt, AFeatureShowsItsRangeAndTakesTheAnswer) {
  Vorn t;
  t.Line("set hdp .");
  ASSERT_TRUE(t.WaitFor("New NUMB pixels in decimal>"));
  EXPECT_TRUE(t.Shown().Shows("  hdp = MIN:2, MAX:1024, STEP:2"));
  t.Line("321");
  ASSERT_TRUE(t.WaitFor("ERROR: Must be aligned by 2!"));
  t.Line("set hdp .");
  ASSERT_TRUE(t.WaitFor("New NUMB pixels in decimal>", 2));
  t.Line("320");
  ASSERT_TRUE(t.WaitFor("hdp (REG[0042h-b8:0]) <- 320"));
  // An empty answer leaves the feature as it was.
  t.Line("set hdp .");
  ASSERT_TRUE(t.WaitFor("New NUMB pixels in decimal>", 3));
  t.Key(kEnter);
  t.Line("set hdp");
  ASSERT_TRUE(t.WaitFor("hdp (REG[0042h-b8:0]) = 9Fh (320 pixels)"));
  t.Quit();
}

TEST(SetPrompt, ARegisterAsksForABitAndPromptsForTheFeatureThere) {
  Vorn t;
  t.Line("set 10 .");
  ASSERT_TRUE(t.WaitFor("Select bit location>"));
  t.Line("15t");
  ASSERT_TRUE(t.WaitFor("=set hlock ."));
  ASSERT_TRUE(t.WaitFor("New BOOL in hexidecimal>"));
  t.Line("1");
  ASSERT_TRUE(t.WaitFor("hlock (REG[0010h-b15]) <- \"1\""));
  t.Line("set 10 .");
  ASSERT_TRUE(t.WaitFor("Select bit location>", 2));
  t.Line("x");
  ASSERT_TRUE(t.WaitFor("ERROR: Not a valid bit location."));
  t.Line("set 28 .");
  ASSERT_TRUE(t.WaitFor("ERROR: Not a valid register."));
  t.Quit();
}

}  // namespace
