// The LUT rotation of L on a real terminal: the arrow keys step it, any other key ends it.
#include "terminal.h"

namespace {

// Entries 0, 1 and FF of LUT2 as the L command shows them (each expected text is new).
bool ShowsEntries(Vorn& t, const std::string& e0, const std::string& e1, const std::string& eff) {
  t.Line("l2 0");
  t.Line("l2 1");
  t.Line("l2 ff");
  return t.WaitFor("L2[00] > " + e0) && t.WaitFor("L2[01] > " + e1) && t.WaitFor("L2[FF] > " + eff);
}

TEST(LutCycle, ArrowsMoveOneComponentOrWholeEntries) {
  Vorn t;
  t.Line("l2 0 11 22 33");
  t.Line("l2 ff 44 55 66");
  // Right: every red value moves one entry up; green and blue stay with their index.
  t.Line("l2 cyclered");
  ASSERT_TRUE(t.WaitFor("Return to continue and other keys to exit"));
  t.Press({kRight, kEsc});
  ASSERT_TRUE(ShowsEntries(t, "44  22  33", "11  00  00", "00  55  66"));
  // Left: whole entries move one down.
  t.Line("l2 cycle");
  ASSERT_TRUE(t.WaitFor("Return to continue and other keys to exit", 2));
  t.Press({kLeft, kEsc});
  ASSERT_TRUE(ShowsEntries(t, "11  00  00", "00  00  00", "44  22  33"));
  t.Quit();
}

}  // namespace
