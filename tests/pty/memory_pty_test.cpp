// W's MODIFY mode on a real terminal: keys edit memory location by location.
#include "terminal.h"

namespace {

TEST(ModifyMode, DigitsSpaceMinusAndPeriod) {
  Vorn t;
  t.Line("w 10");
  ASSERT_TRUE(t.WaitFor("00000010:  0000  '..'>"));
  // Backspace takes the 2 back off the screen and the value; space writes 13 and moves on.
  t.Press({"12", kBackspace, "3", " "});
  ASSERT_TRUE(t.WaitFor("00000012:  0000  '..'>"));
  t.Press({kUp, " "});  // Up has no use here: the bell; no digits: moves on without writing
  ASSERT_TRUE(t.WaitFor("00000014:  0000  '..'>"));
  t.Type("-");
  ASSERT_TRUE(t.WaitFor("00000012:  0000  '..'>"));
  t.Type("-");
  ASSERT_TRUE(t.WaitFor("00000010:  0013  '..'>"));
  t.Type("99.");  // leaving does not write what was typed
  ASSERT_TRUE(t.WaitFor("="));
  t.Quiet();
  EXPECT_TRUE(t.Shown().Shows("00000010:  0000  '..'>13"));
  EXPECT_EQ(t.Shown().bells, 1);

  t.Line("w");  // W without a start opens MODIFY mode where the last one was left
  ASSERT_TRUE(t.WaitFor("00000010:  0013  '..'>", 2));
  t.Type("q");
  t.Line("d16 10 L3");
  ASSERT_TRUE(t.WaitFor("00000010:  0013 0000 0000"));

  // A step past the end of display memory rings the bell and stays at the last location.
  t.Line("w8 fffff");
  ASSERT_TRUE(t.WaitFor("000FFFFF:  00  '.'>"));
  t.Key(" ");
  ASSERT_TRUE(t.WaitFor("000FFFFF:  00  '.'>", 2));
  t.Type("q");
  t.Quiet();
  EXPECT_EQ(t.Shown().bells, 2);
  t.Quit();
}

// A search that would take many seconds (every candidate matches all but the last of 101 values)
// is stopped by ESC, and the prompt comes back.
TEST(LongRanges, EscStopsASearch) {
  Vorn t;
  t.Line("f32 0 L40000 41414141");  // 32-bit units: quick even under the sanitizers
  ASSERT_TRUE(t.WaitFor("=", 2));   // keys typed during the fill would be looked at for ESC
  t.Line("s8 0 L100000 \"" + std::string(100, 'A') + "B\"");
  t.Quiet();
  t.Key(kEsc);
  ASSERT_TRUE(t.WaitFor("ERROR: Search stopped with ESC."));
  t.Quit();
}

}  // namespace
