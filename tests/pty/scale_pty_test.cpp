// SCALE's live modes on a real terminal: the keys of each mode with the register values shown
// after every key, I restoring them, and the bell of a refused step. The plain live mode runs
// in the program on the simulated 77Q41; the panorama live mode runs in the scale driver, on a
// model of the 77K50.
#include "terminal.h"

namespace {

constexpr const char* kHeading = "HSEN VSEN";

// The value line under the report heading of the screen that follows the given number of
// screens; "(none)" when that screen does not come.
std::string ReportOfScreen(Terminal& t, int screen) {
  if (!t.WaitFor(kHeading, screen + 1)) return "(none)";
  t.Quiet();
  const std::string& out = t.Output();
  size_t at = out.rfind(kHeading);
  at = out.find('\n', at) + 1;
  std::string line = out.substr(at, out.find('\n', at) - at);
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
  return line;
}

struct KeyReport {
  std::string key;
  std::string report;  // the value line after it
};

// Presses each key and checks the report of the screen it brings; returns the screens seen.
int PressAndCheck(Terminal& t, int screen, std::initializer_list<KeyReport> steps) {
  for (const KeyReport& step : steps) {
    t.Press({step.key});
    EXPECT_EQ(ReportOfScreen(t, ++screen), step.report) << "after key " << step.key;
  }
  return screen;
}

TEST(ScaleLive, WindowKeysChangeTheRegistersAndIRestoresThem) {
  Vorn t;
  for (const char* line : {"set pip1xstart 10t", "set pip1xend 329t", "set pip1ystart 20t",
                           "set pip1yend 259t", "set pip1width 160t", "set pip1height 120t"}) {
    t.Line(line);
  }
  t.Line("scale pip1 hs:100 vs:100 hsen:1 vsen:1 live");
  ASSERT_TRUE(t.WaitFor("Entering PIP1 Live mode."));
  EXPECT_EQ(ReportOfScreen(t, 0), "  100  100    1    1");
  PressAndCheck(t, 0,
                {{"]", "  101  100    1    1"},
                 {kIns, "  101  101    1    1"},
                 {kDel, "  101  100    1    1"},
                 {"h", "  101  100    0    1"},
                 {"v", "  101  100    0    0"},
                 {"F", "  101  200    0    0"},  // 240 window lines from 120 source lines
                 {"W", "  200  200    0    0"},  // 320 window pixels from 160
                 {"[", "  199  200    0    0"},
                 {"I", "  100  100    1    1"}});
  t.Key("q");
  ASSERT_TRUE(t.WaitForScreen("="));
  t.Line("x 262");
  ASSERT_TRUE(t.WaitFor("[262] > 0400"));
  t.Quit();
}

TEST(ScaleLive, AStepPastTheBoundRingsTheBellAndPip2HasThePlainMode) {
  Vorn t;
  t.Line("scale pip2 hs:13 vs:102400 live");
  ASSERT_TRUE(t.WaitFor("Entering PIP2 Live mode."));
  EXPECT_TRUE(t.WaitFor("PIP2 window:"));
  PressAndCheck(t, 0, {{"[", "   13 102400    0    0"}, {kIns, "   13 102400    0    0"}});
  EXPECT_EQ(t.Shown().bells, 2);
  EXPECT_FALSE(t.Shown().Shows("Step refused"));  // the terminal only rings
  t.Key(kEsc);
  t.Line("scale pip2 pano");
  ASSERT_TRUE(t.WaitFor("ERROR: 'pano' needs panorama scaling, which the 77Q41 does not have."));
  t.Quit();
}

TEST(ScaleLive, PanoramaKeysLinkedAndUnlinked) {
  Terminal t({SCALE_DRIVER, "pip2", "pano"});
  ASSERT_TRUE(t.Started());
  ASSERT_TRUE(t.WaitFor("Entering PIP2 Panorama Live mode."));
  EXPECT_TRUE(t.WaitFor("Division of source image: 20,20,20,20,20"));
  EXPECT_TRUE(t.WaitFor("L = Link Vscale & Height"));
  const std::string start = "  100  200    0    0 Part   200   200  41  81 121 161     0";
  EXPECT_EQ(ReportOfScreen(t, 0), start);
  int screen = PressAndCheck(
      t, 0,
      {{kUp, "  100  200    0    0 Part   200   200  40  81 121 162     0"},     // unlinked
       {kRight, "  100  200    0    0 Part   200   200  40  80 122 162     0"},  // lines 2, 3
       {kPgUp, "  100  200    0    0 Part   200   201  40  80 122 162     0"},   // area B only
       {"I", start},
       {"l", start},
       {kUp, "  100  200    0    0 Part   195   205  40  81 121 162     0"},  // the scales follow
       {kHome, "  100  200    0    0 Part   196   205  40  81 121 162     0"},
       {"I", start}});
  EXPECT_TRUE(t.Shown().Shows("L = UnLink Vscale & Height"));
  // Linked, area A keeps 4 lines: 36 steps outwards, and the 37th rings the bell.
  for (int i = 0; i < 36; i++) t.Key(kUp);
  const std::string edge = "Part    20   380   5  81 121 197     0";
  screen = PressAndCheck(t, screen + 36, {{kUp, "  100  200    0    0 " + edge}});
  EXPECT_EQ(t.Shown().bells, 1);
  // Linear mode would need a falling ramp from this edge: refused as well. Normal mode is not.
  screen = PressAndCheck(t, screen, {{"3", "  100  200    0    0 " + edge}});
  EXPECT_EQ(t.Shown().bells, 2);
  PressAndCheck(t, screen, {{"1", "  100  200    0    0 Norm    20   380   5  81 121 197     0"}});
  t.Key("q");
  ASSERT_TRUE(t.WaitFor("[done]"));
  const int status = t.Wait();
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

TEST(ScaleLive, LinearPanoramaKeysKeepTheEdgeRamp) {
  Terminal t({SCALE_DRIVER, "set:pip2yend=599", "set:pip2height=480", "pip2", "w:2", "vs:100",
              "hi:480", "hc:240", "ho:600", "live"});
  ASSERT_TRUE(t.Started());
  ASSERT_TRUE(t.WaitFor("Division of source image: 120,240,120"));
  const std::string start = "  100  100    0    0 Line   300   200 181 421 121 161   971";
  EXPECT_EQ(ReportOfScreen(t, 0), start);
  PressAndCheck(t, 0,
                {{"l", start},
                 {kUp, "  100  100    0    0 Line   294   200 180 422 121 161   966"},
                 {kIns, "  100  101    0    0 Line   279   200 179 423 121 161   929"},
                 {"F", "  100  125    0    0 Line   125   200 151 451 121 161     0"},
                 {"I", start}});
  t.Key(kEsc);
  ASSERT_TRUE(t.WaitFor("[done]"));
}

}  // namespace
