// SHOW's animation on a real terminal: SPACE pauses it until the next key, Esc ends it, and
// Ctrl-C ends the program as everywhere, its timer running, with the terminal restored.
#include <sys/wait.h>

#include <csignal>

#include "terminal.h"

namespace {

TEST(ShowOnATerminal, SpacePausesTheAnimationAndEscEndsIt) {
  Vorn t;
  t.Line("show fill w=8 h=8 mem sa=0 ani");
  ASSERT_TRUE(t.WaitFor("Mode=LINEAR"));
  t.Key(" ");  // a frame at a time from here: the animation waits for the next key
  t.Quiet();
  EXPECT_NE(t.Shown().Row(-1), "=") << t.Output();
  t.Key(" ");
  t.Quiet();
  EXPECT_NE(t.Shown().Row(-1), "=") << t.Output();
  t.Key(kEsc);
  ASSERT_TRUE(t.Until([&] { return t.Shown().Row(-1) == "="; })) << t.Output();
  t.Quit();
}

TEST(ShowOnATerminal, CtrlCDuringATimedAnimationRestoresTheTerminal) {
  Vorn t;
  t.Line("show fill w=8 h=8 mem sa=0 ani st=600000");
  ASSERT_TRUE(t.WaitFor("Mode=LINEAR"));
  t.Quiet();
  t.Key("\x03");
  int status = t.Wait();
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
  EXPECT_TRUE(t.WaitForLocalModes(ECHO | ICANON, true));
}

}  // namespace
