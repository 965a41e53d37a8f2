// SET's "." path on a real terminal: a feature's range and prompt, and a register's bit choice.
#include "terminal.h"

namespace {

void Command(Vorn& t, const std::string& line) {
  t.Type(line);
  t.Key(kEnter);
}

TEST(SetPrompt, AFeatureShowsItsRangeAndTakesTheAnswer) {
  Vorn t;
  Command(t, "set hdp .");
  ASSERT_TRUE(t.WaitFor("New NUMB pixels in decimal>"));
  EXPECT_TRUE(t.Shown().Shows("  hdp = MIN:2, MAX:1024, STEP:2"));
  Command(t, "321");
  ASSERT_TRUE(t.WaitFor("ERROR: Must be aligned by 2!"));
  Command(t, "set hdp .");
  ASSERT_TRUE(t.WaitFor("New NUMB pixels in decimal>", 2));
  Command(t, "320");
  ASSERT_TRUE(t.WaitFor("hdp (REG[0042h-b8:0]) <- 320"));
  // An empty answer leaves the feature as it was.
  Command(t, "set hdp .");
  ASSERT_TRUE(t.WaitFor("New NUMB pixels in decimal>", 3));
  t.Key(kEnter);
  Command(t, "set hdp");
  ASSERT_TRUE(t.WaitFor("hdp (REG[0042h-b8:0]) = 9Fh (320 pixels)"));
  Command(t, "q");
  EXPECT_EQ(t.Wait(), 0);
}

TEST(SetPrompt, ARegisterAsksForABitAndPromptsForTheFeatureThere) {
  Vorn t;
  Command(t, "set 10 .");
  ASSERT_TRUE(t.WaitFor("Select bit location>"));
  Command(t, "15t");
  ASSERT_TRUE(t.WaitFor("=set hlock ."));
  ASSERT_TRUE(t.WaitFor("New BOOL in hexidecimal>"));
  Command(t, "1");
  ASSERT_TRUE(t.WaitFor("hlock (REG[0010h-b15]) <- \"1\""));
  Command(t, "set 10 .");
  ASSERT_TRUE(t.WaitFor("Select bit location>", 2));
  Command(t, "x");
  ASSERT_TRUE(t.WaitFor("ERROR: Not a valid bit location."));
  Command(t, "set 28 .");
  ASSERT_TRUE(t.WaitFor("ERROR: Not a valid register."));
  Command(t, "q");
  EXPECT_EQ(t.Wait(), 0);
}

}  // namespace
