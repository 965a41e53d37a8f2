#include "display/scale_math.h"

#include <algorithm>
#include <cstddef>
#include <iterator>

namespace {

// Indexed by ScaleFault.
constexpr const char* kFaultTexts[] = {
    "nothing is wrong",
    "the scale register is not yet initialized",
    "a scale register would leave its range (13 to 102400 percent)",
    "the edge areas would take more lines than the input image has",
    "the edge areas would get no output lines",
    "a start line would leave the window",
    "a start line would reach its neighbour",
    "a panorama area would get fewer than 4 lines",
    "the edge areas would lose the stronger scaling",
    "the linear delta needs area 1 to start below line 1",
    "the linear delta would not fit its register",
    "an area of the source division has no lines",
    "the scale registers of that mode are not yet initialized",
    "the source image has no size",
    "the fitted scale is out of range (13 to 102400 percent)",
};
static_assert(std::size(kFaultTexts) == static_cast<size_t>(ScaleFault::kFitPercent) + 1);

bool Even(int64_t n) {
  return (n & 1) == 0;
}

// Two areas of one kind above and below the centre share their lines evenly when they can.
void Balance(int64_t* upper, int64_t* lower) {
  if (!Even(*upper + *lower)) return;
  *upper = *lower = (*upper + *lower) / 2;
}

}  // namespace

const char* FaultText(ScaleFault fault) {
  return kFaultTexts[static_cast<size_t>(fault)];
}

int64_t PercentToScale(int64_t percent) {
  return percent <= 0 ? 0 : kPercentUnit / percent;
}

int64_t ScaleToPercent(int64_t scale) {
  return scale <= 0 ? 0 : kPercentUnit / scale;
}

bool PercentFits(int64_t percent) {
  return percent >= kMinPercent && percent <= kMaxPercent;
}

ScaleFault PartialStartLines(const PartialInput& in, int64_t windowLines, int64_t lines[4]) {
  const int64_t centre = in.inputLines - 2 * in.areaA - 2 * in.areaB;
  if (centre < 0) return ScaleFault::kCentreNegative;
  const int64_t bLines = in.areaB * in.bPercent / 100;
  int64_t next[4];
  next[0] = in.areaA * in.aPercent / 100 + 1;
  next[1] = next[0] + bLines;
  next[2] = next[1] + centre * in.vPercent / 100;
  next[3] = next[2] + bLines;
  const int64_t last = std::min(windowLines, kLineMax);
  for (int64_t line : next) {
    if (line < 1 || line > last) return ScaleFault::kLineOutside;
  }
  std::copy(std::begin(next), std::end(next), lines);
  return ScaleFault::kNone;
}

ScaleFault LinearStartLines(const LinearInput& in, int64_t windowLines, LinearSetup* out) {
  if (in.centreLines > in.inputLines) return ScaleFault::kCentreNegative;
  const int64_t edgeInput = (in.inputLines - in.centreLines) / 2;
  const int64_t centreOutput = in.centreLines * in.vPercent / 100;
  const int64_t edgeOutput = (in.outputLines - centreOutput) / 2;
  if (edgeOutput < 1) return ScaleFault::kEdgeEmpty;
  LinearSetup s;
  s.line1 = edgeOutput + 1;
  s.line2 = s.line1 + centreOutput;
  if (s.line2 > std::min(windowLines, kLineMax)) return ScaleFault::kLineOutside;
  // The edge starts at the scale that makes its ramp up to the centre's scale average
  // edgeInput / edgeOutput.
  const int64_t vScale = PercentToScale(in.vPercent);
  s.areaScale = edgeInput * 2048 / edgeOutput - vScale;
  if (s.areaScale < 1 || s.areaScale > kScaleMax) return ScaleFault::kScaleRange;
  const ScaleFault fault = LinearDelta(vScale, s.areaScale, s.line1, &s.delta);
  if (fault == ScaleFault::kNone) *out = s;
  return fault;
}

ScaleFault LinearDelta(int64_t vScale, int64_t areaScale, int64_t line1, int64_t* delta) {
  if (line1 <= 1) return ScaleFault::kDeltaLine;
  // The ramp runs from the edge's scale to the centre's: the edge scales at least as strongly,
  // so its register is the smaller one.
  const int64_t d = (vScale - areaScale) * 256 / (line1 - 1);
  if (d < 0) return ScaleFault::kEdgeScaling;
  if (d > kDeltaMax) return ScaleFault::kDelta;
  *delta = d;
  return ScaleFault::kNone;
}

ScaleFault PartialDivision(const int64_t lines[4], int64_t vScale, int64_t aScale, int64_t bScale,
                           int64_t sourceLines, Division* out) {
  const int64_t v = ScaleToPercent(vScale), a = ScaleToPercent(aScale), b = ScaleToPercent(bScale);
  if (v == 0 || a == 0 || b == 0) return ScaleFault::kEmptyDivision;
  Division d;
  d.count = 5;
  d.area[0] = (lines[0] - 1) * 100 / a;
  d.area[1] = (lines[1] - lines[0]) * 100 / b;
  d.area[2] = (lines[2] - lines[1]) * 100 / v;
  d.area[3] = (lines[3] - lines[2]) * 100 / b;
  d.area[4] = sourceLines - d.area[0] - d.area[1] - d.area[2] - d.area[3];
  Balance(&d.area[0], &d.area[4]);
  Balance(&d.area[1], &d.area[3]);
  *out = d;
  return ScaleFault::kNone;
}

ScaleFault LinearDivision(const int64_t lines[4], int64_t vScale, int64_t sourceLines,
                          Division* out) {
  const int64_t v = ScaleToPercent(vScale);
  if (v == 0) return ScaleFault::kEmptyDivision;
  Division d;
  d.count = 3;
  d.area[1] = (lines[1] - lines[0]) * 100 / v;
  d.area[0] = (sourceLines - d.area[1]) / 2;
  d.area[2] = sourceLines - d.area[0] - d.area[1];
  *out = d;
  return ScaleFault::kNone;
}

ScaleFault FitScale(int64_t windowSize, int64_t sourceSize, int64_t* scale) {
  if (sourceSize <= 0) return ScaleFault::kSourceSize;
  const int64_t percent = windowSize * 100 / sourceSize;
  if (!PercentFits(percent)) return ScaleFault::kFitPercent;
  *scale = PercentToScale(percent);
  return ScaleFault::kNone;
}
