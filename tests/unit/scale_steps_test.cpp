// The live modes' steps on plain register values: each key of both modes, the linked rules, the
// bounds that refuse a step, and a property test over random windows, sources and registers.
#include "display/scale_steps.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

LiveState Window(ScalerRegs regs, int64_t width, int64_t lines, int64_t sourceWidth,
                 int64_t sourceLines, bool panorama = false) {
  LiveState s;
  s.regs = regs;
  s.windowWidth = width;
  s.windowLines = lines;
  s.sourceWidth = sourceWidth;
  s.sourceLines = sourceLines;
  s.panorama = panorama;
  StartLive(&s);
  return s;
}

std::vector<int64_t> Lines(const LiveState& s) {
  return {s.regs.line[0], s.regs.line[1], s.regs.line[2], s.regs.line[3]};
}

TEST(WindowLiveMode, EachKeyAndItsBounds) {
  struct Case {
    int64_t h, v;
    LiveStep step;
    ScaleFault fault;
    int64_t hAfter, vAfter;
  };
  const Case cases[] = {
      {1024, 1024, LiveStep::kHUp, ScaleFault::kNone, 1013, 1024},          // 101%
      {1024, 1024, LiveStep::kHDown, ScaleFault::kNone, 1034, 1024},        // 99%
      {7876, 1024, LiveStep::kHDown, ScaleFault::kScaleRange, 7876, 1024},  // 12% overflows
      {0, 1024, LiveStep::kHUp, ScaleFault::kUninitialized, 0, 1024},
      {1024, 1, LiveStep::kVUp, ScaleFault::kScaleRange, 1024, 1},  // 102401% writes 0
      {1024, 1024, LiveStep::kVDownMoves, ScaleFault::kNone, 1024, 1034},
      {1024, 1, LiveStep::kVDownMoves, ScaleFault::kNone, 1024, 2},  // down to 51200%
      {1024, 7876, LiveStep::kVDownMoves, ScaleFault::kScaleRange, 1024, 7876},
      {1024, 1024, LiveStep::kFitHeight, ScaleFault::kNone, 1024, 512},  // 240 of 120 lines
      {1024, 1024, LiveStep::kFitWidth, ScaleFault::kSourceSize, 1024, 1024},
      {1024, 1024, LiveStep::kAUp, ScaleFault::kNone, 1024, 1024},  // no panorama: ignored
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.h << " " << c.v << " step " << static_cast<int>(c.step));
    ScalerRegs regs;
    regs.hScale = c.h;
    regs.vScale = c.v;
    LiveState s = Window(regs, 320, 240, 0, 120);
    EXPECT_EQ(ApplyLiveStep(&s, c.step), c.fault);
    EXPECT_EQ(s.regs.hScale, c.hAfter);
    EXPECT_EQ(s.regs.vScale, c.vAfter);
  }
}

// 200% everywhere in a partial panorama: 20 source lines in each of the five areas.
LiveState Partial(int64_t windowLines = 200) {
  ScalerRegs regs;
  regs.hScale = regs.vScale = regs.aScale = regs.bScale = 512;
  regs.wide = kWidePartial;
  int64_t lines[4] = {41, 81, 121, 161};
  std::copy(lines, lines + 4, regs.line);
  return Window(regs, 320, windowLines, 160, 100, true);
}

TEST(PartialLiveMode, UnlinkedKeysMoveOnlyWhatTheyName) {
  LiveState s = Partial();
  EXPECT_EQ(s.division.count, 5);
  ASSERT_EQ(ApplyLiveStep(&s, LiveStep::kOuterOut), ScaleFault::kNone);
  EXPECT_EQ(Lines(s), (std::vector<int64_t>{40, 81, 121, 162}));
  ASSERT_EQ(ApplyLiveStep(&s, LiveStep::kInnerIn), ScaleFault::kNone);
  EXPECT_EQ(Lines(s), (std::vector<int64_t>{40, 82, 120, 162}));
  EXPECT_EQ(s.regs.vScale, 512);
  // Lines stay in order and inside the window.
  for (int i = 0; i < 18; i++) ASSERT_EQ(ApplyLiveStep(&s, LiveStep::kInnerIn), ScaleFault::kNone);
  EXPECT_EQ(ApplyLiveStep(&s, LiveStep::kInnerIn), ScaleFault::kLineOrder);
  for (int i = 0; i < 38; i++) ASSERT_EQ(ApplyLiveStep(&s, LiveStep::kOuterOut), ScaleFault::kNone);
  EXPECT_EQ(ApplyLiveStep(&s, LiveStep::kOuterOut), ScaleFault::kLineOutside);
  EXPECT_EQ(Lines(s), (std::vector<int64_t>{2, 100, 102, 200}));
}

TEST(PartialLiveMode, LinkedKeysKeepTheDivisionAndFourLinesPerArea) {
  LiveState s = Partial();
  ASSERT_EQ(ApplyLiveStep(&s, LiveStep::kToggleLink), ScaleFault::kNone);
  // Down to 4 lines in area A, and no further; the division stays as it was.
  for (int i = 0; i < 36; i++) ASSERT_EQ(ApplyLiveStep(&s, LiveStep::kOuterOut), ScaleFault::kNone);
  EXPECT_EQ(s.division.area[0], 20);
  EXPECT_EQ(s.regs.line[0], 5);
  const ScalerRegs before = s.regs;
  EXPECT_EQ(ApplyLiveStep(&s, LiveStep::kOuterOut), ScaleFault::kAreaLines);
  EXPECT_EQ(s.regs, before);
  // A linked scale key moves the lines after the scaled area.
  s = Partial(400);
  ASSERT_EQ(ApplyLiveStep(&s, LiveStep::kToggleLink), ScaleFault::kNone);
  for (int i = 0; i < 10; i++) ASSERT_EQ(ApplyLiveStep(&s, LiveStep::kVUp), ScaleFault::kNone);
  EXPECT_EQ(s.regs.vScale, PercentToScale(210));
  EXPECT_EQ(Lines(s), (std::vector<int64_t>{41, 81, 123, 163}));
  ASSERT_EQ(ApplyLiveStep(&s, LiveStep::kRestore), ScaleFault::kNone);
  EXPECT_EQ(Lines(s), (std::vector<int64_t>{41, 81, 121, 161}));
}

TEST(PartialLiveMode, ModesNeedTheirRegisters) {
  LiveState s = Partial();
  ASSERT_EQ(ApplyLiveStep(&s, LiveStep::kModeNormal), ScaleFault::kNone);
  EXPECT_EQ(s.division.count, 0);
  ASSERT_EQ(ApplyLiveStep(&s, LiveStep::kFitHeight), ScaleFault::kNone);  // vertical percent
  EXPECT_EQ(s.regs.vScale, 512);
  s.regs.bScale = 0;
  EXPECT_EQ(ApplyLiveStep(&s, LiveStep::kModePartial), ScaleFault::kModeRegisters);
  // Linear mode needs area 1 below line 1 for its delta, and a rising ramp.
  ASSERT_EQ(ApplyLiveStep(&s, LiveStep::kModeLinear), ScaleFault::kNone);
  EXPECT_EQ(s.regs.delta, 0);
  EXPECT_EQ(s.division.count, 3);
  ASSERT_EQ(ApplyLiveStep(&s, LiveStep::kModePartial), ScaleFault::kModeRegisters);
}

TEST(PartialLiveMode, FitPutsTheLinesAtFifths) {
  LiveState s = Partial();
  ASSERT_EQ(ApplyLiveStep(&s, LiveStep::kFitHeight), ScaleFault::kNone);
  EXPECT_EQ(Lines(s), (std::vector<int64_t>{41, 81, 121, 161}));
  s = Partial(250);
  ASSERT_EQ(ApplyLiveStep(&s, LiveStep::kToggleLink), ScaleFault::kNone);
  ASSERT_EQ(ApplyLiveStep(&s, LiveStep::kFitHeight), ScaleFault::kNone);
  EXPECT_EQ(Lines(s), (std::vector<int64_t>{51, 101, 151, 201}));
  EXPECT_EQ(s.regs.vScale, PercentToScale(250));
}

// Edges of 120 source lines on 180 output lines, a centre of 240 lines at 100%.
LiveState Linear() {
  ScalerRegs regs;
  regs.hScale = regs.vScale = 1024;
  regs.aScale = 341;
  regs.wide = kWideLinear;
  regs.line[0] = 181;
  regs.line[1] = 421;
  regs.delta = 971;
  return Window(regs, 320, 600, 160, 480, true);
}

TEST(LinearLiveMode, LineKeysUnlinkedAndLinked) {
  LiveState s = Linear();
  EXPECT_EQ(std::vector<int64_t>(s.division.area, s.division.area + 3),
            (std::vector<int64_t>{120, 240, 120}));
  ASSERT_EQ(ApplyLiveStep(&s, LiveStep::kOuterOut), ScaleFault::kNone);
  EXPECT_EQ(Lines(s), (std::vector<int64_t>{180, 422, 0, 0}));
  EXPECT_EQ(s.regs.aScale, 341);
  EXPECT_EQ(s.regs.delta, 976);  // the delta follows the first line
  EXPECT_EQ(ApplyLiveStep(&s, LiveStep::kInnerOut), ScaleFault::kNone);  // no lines 2 and 3
  EXPECT_EQ(Lines(s), (std::vector<int64_t>{180, 422, 0, 0}));

  s = Linear();
  ASSERT_EQ(ApplyLiveStep(&s, LiveStep::kToggleLink), ScaleFault::kNone);
  ASSERT_EQ(ApplyLiveStep(&s, LiveStep::kOuterOut), ScaleFault::kNone);
  EXPECT_EQ(s.regs.vScale, 1024);  // 242 lines from 240
  EXPECT_EQ(s.regs.aScale, 348);
  EXPECT_EQ(s.regs.delta, 966);
  // Inwards the edge grows until its ramp would have to start below 0.
  int moved = 0;
  while (ApplyLiveStep(&s, LiveStep::kOuterIn) == ScaleFault::kNone) moved++;
  EXPECT_EQ(ApplyLiveStep(&s, LiveStep::kOuterIn), ScaleFault::kScaleRange);
  EXPECT_GT(moved, 0);
  EXPECT_GE(s.regs.aScale, 1);
  EXPECT_GE(s.division.area[0] * 2048 / (s.regs.line[0] - 1), s.regs.vScale);
}

TEST(LinearLiveMode, FitFindsTheSmallestEdgeThatScalesAsStronglyAsTheCentre) {
  LiveState s = Linear();
  ASSERT_EQ(ApplyLiveStep(&s, LiveStep::kFitHeight), ScaleFault::kNone);
  EXPECT_EQ(Lines(s), (std::vector<int64_t>{151, 451, 0, 0}));
  EXPECT_EQ(s.regs.vScale, PercentToScale(125));
  EXPECT_EQ(s.regs.aScale, 819);
  EXPECT_EQ(s.regs.delta, 0);
}

// Whatever the window, the source and the registers, a step never divides by 0 and never
// leaves a register outside its field; a refused step changes nothing.
TEST(LiveModeProperty, RegistersStayInTheirFields) {
  std::mt19937 rng(20);
  auto pick = [&](int64_t lo, int64_t hi) {
    return std::uniform_int_distribution<int64_t>(lo, hi)(rng);
  };
  int taken = 0;
  for (int round = 0; round < 3000; round++) {
    ScalerRegs regs;
    regs.hScale = pick(0, kScaleMax);
    regs.vScale = pick(0, kScaleMax);
    regs.aScale = pick(0, 1) ? pick(0, kScaleMax) : pick(200, 2000);
    regs.bScale = pick(0, kScaleMax);
    regs.wide = pick(0, 3);
    const int64_t windowLines = pick(-4, 1100);
    for (int64_t& line : regs.line) line = pick(0, std::min<int64_t>(kLineMax, 600));
    std::sort(regs.line, regs.line + 4);
    regs.delta = pick(0, kDeltaMax);
    LiveState s =
        Window(regs, pick(-4, 1100), windowLines, pick(0, 1100), pick(0, 1100), pick(0, 1) == 1);
    if (s.panorama && !PanoramaReady(s.regs)) continue;
    for (int i = 0; i < 60; i++) {
      const ScalerRegs before = s.regs;
      const auto step = static_cast<LiveStep>(pick(0, static_cast<int>(LiveStep::kRestore)));
      if (ApplyLiveStep(&s, step) != ScaleFault::kNone) {
        ASSERT_EQ(s.regs, before);
        continue;
      }
      taken++;
      const ScalerRegs& r = s.regs;
      for (int64_t scale : {r.hScale, r.vScale, r.aScale, r.bScale}) {
        ASSERT_TRUE(scale >= 0 && scale <= kScaleMax) << scale;
      }
      for (int64_t line : r.line) ASSERT_TRUE(line >= 0 && line <= kLineMax) << line;
      ASSERT_TRUE(r.delta >= 0 && r.delta <= kDeltaMax) << r.delta;
      ASSERT_TRUE(r.wide >= 0 && r.wide <= 3);
    }
  }
  EXPECT_GT(taken, 10000);
}

}  // namespace
