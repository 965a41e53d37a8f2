// The register commands and the chip model's names on a real terminal.
#include "terminal.h"

namespace {

// A loop without end keeps writing until ESC; the next command then runs as usual.
TEST(RegisterLoops, RereadAndFillWithoutEndStopAtEsc) {
  Vorn t;
  for (const auto& [command, running] : {std::pair{"xr 40 0", "REG[0040h]= 1h"},
                                         std::pair{"xf 40 0 1 2", "REG[0040] < 0001 0002"}}) {
    t.Line(command);
    ASSERT_TRUE(t.WaitFor(running, 3));  // it is still going after three rounds
    t.Send(kEsc);
    ASSERT_TRUE(t.PromptIsBack());
  }
  t.Line("x 42");
  ASSERT_TRUE(t.WaitFor("[42] > 0000"));
  t.Quit();
}

TEST(RegisterLoops, RereadWithoutEndStopsAtThePagersEsc) {
  Vorn t;
  t.Line("h 3");
  t.Line("xr 40 0");
  ASSERT_TRUE(t.WaitFor("-- more [ESC to exit] --"));
  t.Key(" ");
  ASSERT_TRUE(t.WaitFor("-- more [ESC to exit] --", 2));
  t.Key(kEsc);
  ASSERT_TRUE(t.PromptIsBack());
  EXPECT_TRUE(t.Shown().Shows("         5: REG[0040h]= 1h"));
  EXPECT_FALSE(t.Shown().Shows("         7: REG[0040h]= 1h"));
}

TEST(FeatureNames, TabCompletesFromTheChipModel) {
  Vorn t;
  t.Type("set rgbdat");
  t.Key(kTab);
  ASSERT_TRUE(t.WaitForScreen("=set rgbdatawidth"));
  t.Type(" main1sa");
  t.Key(kTab);  // main1saddr and its two parts: extended and listed
  ASSERT_TRUE(t.WaitForScreen("main1saddrmsb"));
  EXPECT_TRUE(t.Shown().Shows("main1saddrlsb"));
  EXPECT_EQ(t.Shown().bells, 0);
}

}  // namespace
