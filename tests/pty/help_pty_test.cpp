// The help browser's keys and the pager inside a long search, on a real terminal.
#include "terminal.h"

namespace {

bool PromptIsBack(Vorn& t) {
  return t.Until([&] { return !t.Output().empty() && t.Output().back() == '='; });
}

TEST(HelpBrowser, EnterDigitsAndEscMoveThroughTheSections) {
  Vorn t;
  t.Line("help");
  ASSERT_TRUE(t.WaitFor("6=KEYS,ESC=EXIT [2]>"));
  t.Key(kEnter);
  ASSERT_TRUE(t.WaitFor("ADVANCED VORN COMMANDS"));
  ASSERT_TRUE(t.WaitFor("HELP 1=BASIC,3=SCRIPT,4=LANGUAGE1,5=LANGUAGE2,6=KEYS,ESC=EXIT [3]>"));
  t.Key("5");
  ASSERT_TRUE(t.WaitFor("SCRIPT LANGUAGE REFERENCE 2"));
  ASSERT_TRUE(t.WaitFor("ESC=EXIT [6]>"));
  EXPECT_TRUE(t.Shown().Shows(" e*e   e/e   e%e    "));  // one percent sign on the console
  t.Key(kEsc);
  ASSERT_TRUE(PromptIsBack(t));
  EXPECT_FALSE(t.Shown().Shows("VORN EDITING KEYS"));
  // An arrow key ends the browser too, and none of its codes reach the next line.
  t.Line("help");
  ASSERT_TRUE(t.WaitFor("[2]>", 2));
  t.Key(kUp);
  ASSERT_TRUE(PromptIsBack(t));
  t.Line("x 42");
  ASSERT_TRUE(t.WaitFor("[42] > 0000"));
  t.Quit();
}

TEST(HelpSearch, ThePagerStopsALongListingAndEscEndsIt) {
  Vorn t;
  t.Line("h 10");
  ASSERT_TRUE(t.WaitFor("Current Halt setting: 10 lines"));
  t.Line("? gpio");
  ASSERT_TRUE(t.WaitFor("-- more [ESC to exit] --"));
  t.Key(" ");
  ASSERT_TRUE(t.WaitFor("-- more [ESC to exit] --", 2));
  EXPECT_TRUE(t.Shown().Shows("============FEATURES============="));
  t.Key(kEsc);
  ASSERT_TRUE(PromptIsBack(t));
  EXPECT_FALSE(t.Shown().Shows("gpio23is"));  // the listing ended at the pager
  EXPECT_FALSE(t.Shown().Shows("-- more"));
  t.Quit();
}

}  // namespace
