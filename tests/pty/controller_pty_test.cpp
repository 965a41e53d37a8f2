// The LUT rotation of L on a real terminal: the arrow keys step it, Return keeps it going.
#include "terminal.h"

namespace {

void Command(Vorn& t, const std::string& line) {
  t.Type(line);
  t.Key(kEnter);
}

// Entries 0, 1 and FF of LUT2 as the L command shows them (each expected text is new).
bool ShowsEntries(Vorn& t, const std::string& e0, const std::string& e1, const std::string& eff) {
  Command(t, "l2 0");
  Command(t, "l2 1");
  Command(t, "l2 ff");
  return t.WaitFor("L2[00] > " + e0) && t.WaitFor("L2[01] > " + e1) && t.WaitFor("L2[FF] > " + eff);
}

TEST(LutCycle, ArrowsMoveOneComponentOrWholeEntries) {
  Vorn t;
  Command(t, "l2 0 11 22 33");
  Command(t, "l2 ff 44 55 66");
  // Right: every red value moves one entry up; green and blue stay with their index.
  Command(t, "l2 cyclered");
  ASSERT_TRUE(t.WaitFor("Return to continue and other keys to exit"));
  t.Key(kRight);
  t.Key(kEsc);
  ASSERT_TRUE(ShowsEntries(t, "44  22  33", "11  00  00", "00  55  66"));
  // Left: whole entries move one down.
  Command(t, "l2 cycle");
  ASSERT_TRUE(t.WaitFor("Return to continue and other keys to exit", 2));
  t.Key(kLeft);
  t.Key(kEsc);
  ASSERT_TRUE(ShowsEntries(t, "11  00  00", "00  00  00", "44  22  33"));
}

}  // namespace
