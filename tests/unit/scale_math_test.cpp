// The scaler arithmetic: percentages and registers, the filter sets, the panorama set-ups and
// the division of the source image.
#include "display/scale_math.h"

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

#include "display/scale.h"

namespace {

TEST(ScalePercent, RegistersAndTheirRange) {
  struct Case {
    int64_t percent, scale;
    bool fits;
  };
  const Case cases[] = {
      {100, 1024, true}, {200, 512, true},  {300, 341, true},   {13, 7876, true},
      {12, 8533, false}, {102400, 1, true}, {102401, 0, false}, {0, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.percent);
    EXPECT_EQ(PercentToScale(c.percent), c.scale);
    EXPECT_EQ(PercentFits(c.percent), c.fits);
  }
  EXPECT_EQ(ScaleToPercent(341), 300);
  EXPECT_EQ(ScaleToPercent(0), 0);
}

// Each set is the half of a 4-tap kernel sampled at eighths from 2 down to 0: the four taps of
// every phase must add up to 1 (64), or the picture brightens or darkens as it scales.
TEST(FilterSets, EveryPhaseAddsUpToOne) {
  ASSERT_EQ(kFilterSetCount, 5u);
  for (const FilterSet& set : kFilterSets) {
    SCOPED_TRACE(set.name);
    EXPECT_GT(std::strlen(set.name), 0u);
    const int8_t* e = set.coef;
    for (int t = 0; t <= 8; t++) {
      const int far = t > 0 ? e[t - 1] : 0;
      EXPECT_EQ(e[15 - t] + e[7 + t] + e[7 - t] + far, 64) << "phase " << t;
    }
  }
}

// The happy paths of both set-ups run through SCALE in its own tests.
TEST(PartialPanorama, Refusals) {
  int64_t lines[4] = {};
  // The last line must lie in the window and its field; no centre is fine, a negative one not.
  EXPECT_EQ(PartialStartLines({100, 20, 20, 200, 200, 200}, 160, lines), ScaleFault::kLineOutside);
  EXPECT_EQ(PartialStartLines({4000, 1000, 10, 100, 100, 100}, 5000, lines),
            ScaleFault::kLineOutside);
  EXPECT_EQ(PartialStartLines({80, 20, 20, 100, 100, 100}, 240, lines), ScaleFault::kNone);
  EXPECT_EQ(PartialStartLines({79, 20, 20, 100, 100, 100}, 240, lines),
            ScaleFault::kCentreNegative);
}

TEST(LinearPanorama, SetUpAndRefusals) {
  struct Case {
    LinearInput in;
    int64_t window;
    ScaleFault fault;
    LinearSetup out;
  };
  const Case cases[] = {
      {{480, 320, 480, 100}, 480, ScaleFault::kNone, {81, 401, 1024, 0}},  // no ramp
      {{480, 481, 600, 100}, 600, ScaleFault::kCentreNegative, {}},
      {{480, 240, 240, 100}, 600, ScaleFault::kEdgeEmpty, {}},  // the centre fills the output
      {{480, 240, 600, 100}, 420, ScaleFault::kLineOutside, {}},
      {{481, 480, 600, 100}, 600, ScaleFault::kScaleRange, {}},   // no edge input: start below 0
      {{480, 240, 480, 150}, 480, ScaleFault::kEdgeScaling, {}},  // the centre zooms more
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.in.inputLines << "/" << c.in.centreLines << "/"
                                    << c.in.outputLines << "/" << c.in.vPercent);
    LinearSetup out{};
    EXPECT_EQ(LinearStartLines(c.in, c.window, &out), c.fault);
    if (c.fault != ScaleFault::kNone) continue;
    EXPECT_EQ(out.line1, c.out.line1);
    EXPECT_EQ(out.line2, c.out.line2);
    EXPECT_EQ(out.areaScale, c.out.areaScale);
    EXPECT_EQ(out.delta, c.out.delta);
  }
  int64_t delta = 7;
  EXPECT_EQ(LinearDelta(1024, 341, 1, &delta), ScaleFault::kDeltaLine);
  EXPECT_EQ(LinearDelta(8191, 1, 2, &delta), ScaleFault::kDelta);
  EXPECT_EQ(delta, 7);
}

TEST(SourceDivision, HalvesOfOneKindAreBalancedWhenTheyCan) {
  Division d;
  const int64_t lines[4] = {41, 81, 121, 161};  // 20 source lines each above, at 200%
  for (const auto& [source, top, bottom] : {std::tuple{110, 25, 25}, {111, 20, 31}}) {
    ASSERT_EQ(PartialDivision(lines, 512, 512, 512, source, &d), ScaleFault::kNone);
    EXPECT_EQ(d.area[0], top);
    EXPECT_EQ(d.area[4], bottom);
  }
  EXPECT_EQ(PartialDivision(lines, 512, 0, 512, 100, &d), ScaleFault::kEmptyDivision);
  EXPECT_EQ(LinearDivision(lines, 0, 480, &d), ScaleFault::kEmptyDivision);
}

TEST(FitScale, GuardsTheSourceAndTheRange) {
  int64_t scale = 99;
  EXPECT_EQ(FitScale(240, 120, &scale), ScaleFault::kNone);
  EXPECT_EQ(scale, 512);
  EXPECT_EQ(FitScale(240, 0, &scale), ScaleFault::kSourceSize);
  EXPECT_EQ(FitScale(1, 1000, &scale), ScaleFault::kFitPercent);  // 0%
  EXPECT_EQ(FitScale(12, 100, &scale), ScaleFault::kFitPercent);  // the register overflows
  EXPECT_EQ(FitScale(0, 100, &scale), ScaleFault::kFitPercent);
  EXPECT_EQ(scale, 512);
}

}  // namespace
