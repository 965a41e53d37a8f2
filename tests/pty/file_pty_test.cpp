// FLOAD's playback on a real terminal: a loop of frames runs until a key is pressed.
#include "terminal.h"

namespace {

TEST(FramePlayback, AnEndlessLoopEndsOnAKey) {
  Vorn t;
  t.Type("fdump frame.ppm mem 0 L8 W=2 H=2 F=4");
  t.Key(kEnter);
  ASSERT_TRUE(t.WaitFor("Mode=LINEAR"));
  t.Type("fload frame.ppm mem 100 * L=0 FPS");
  t.Key(kEnter);
  ASSERT_TRUE(t.WaitFor("LoadAll=Off"));
  t.Key("x");  // any key ends the loop; the frame rate of the first pass follows
  ASSERT_TRUE(t.WaitFor("Frame rate: "));
  t.Type("q");
  t.Key(kEnter);
  int status = t.Wait();
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace
