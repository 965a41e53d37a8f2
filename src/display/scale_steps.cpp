#include "display/scale_steps.h"

#include <algorithm>

namespace {

using ScaleReg = int64_t ScalerRegs::*;

bool IsPartial(const LiveState& s, const ScalerRegs& r) {
  return s.panorama && r.wide == kWidePartial;
}

bool IsLinear(const LiveState& s, const ScalerRegs& r) {
  return s.panorama && r.wide == kWideLinear;
}

// The last line a start line may name: the window's, within the 10-bit field.
int64_t LastLine(const LiveState& s) {
  return std::min(s.windowLines, kLineMax);
}

ScaleFault StepPercent(int64_t* scale, int64_t by) {
  if (*scale <= 0) return ScaleFault::kUninitialized;
  const int64_t percent = ScaleToPercent(*scale) + by;
  if (!PercentFits(percent)) return ScaleFault::kScaleRange;
  *scale = PercentToScale(percent);
  return ScaleFault::kNone;
}

// Near 100% one percent moves the register by several units, far above it one unit spans many
// percents: this step goes down as many whole percents as it takes to move the register.
ScaleFault StepDownUntilMoved(int64_t* scale) {
  if (*scale <= 0) return ScaleFault::kUninitialized;
  int64_t percent = ScaleToPercent(*scale);
  if (percent <= 1) return ScaleFault::kScaleRange;
  do {
    percent--;
  } while (percent > 1 && PercentToScale(percent) <= *scale);
  if (!PercentFits(percent)) return ScaleFault::kScaleRange;
  *scale = PercentToScale(percent);
  return ScaleFault::kNone;
}

// Start lines in order inside the window; linked, every area keeps at least 4 output lines.
ScaleFault CheckLines(const LiveState& s, const ScalerRegs& r) {
  const int64_t* l = r.line;
  const int last = r.wide == kWidePartial ? 3 : 1;
  if (l[0] < 1 || l[last] > LastLine(s)) return ScaleFault::kLineOutside;
  for (int i = 0; i < last; i++) {
    if (l[i] >= l[i + 1]) return ScaleFault::kLineOrder;
  }
  if (!s.linked) return ScaleFault::kNone;
  if (l[0] - 1 < kMinAreaLines || s.windowLines - l[last] + 1 < kMinAreaLines) {
    return ScaleFault::kAreaLines;
  }
  for (int i = 0; i < last; i++) {
    if (l[i + 1] - l[i] < kMinAreaLines) return ScaleFault::kAreaLines;
  }
  return ScaleFault::kNone;
}

// Partial mode, linked: the scales of areas A, B and the centre follow their output lines.
ScaleFault FollowPartial(const LiveState& s, ScalerRegs* r) {
  const Division& d = s.division;
  if (d.count != 5 || d.area[0] <= 0 || d.area[1] <= 0 || d.area[2] <= 0) {
    return ScaleFault::kEmptyDivision;
  }
  const int64_t* l = r->line;
  const int64_t a = (l[0] - 1) * 100 / d.area[0];
  const int64_t b = (l[1] - l[0]) * 100 / d.area[1];
  const int64_t v = (l[2] - l[1]) * 100 / d.area[2];
  if (!PercentFits(a) || !PercentFits(b) || !PercentFits(v)) return ScaleFault::kScaleRange;
  r->aScale = PercentToScale(a);
  r->bScale = PercentToScale(b);
  r->vScale = PercentToScale(v);
  return ScaleFault::kNone;
}

// Linear mode: the edge ramp starts at the scale that makes it average the edge's input over
// its output lines, and ends at the centre's scale, which must not be below that average (the
// edge keeps the stronger scaling) nor so far above it that the start would fall below 0.
ScaleFault SetEdgeRamp(int64_t edgeInput, int64_t edgeLines, int64_t centreScale, ScalerRegs* r) {
  if (centreScale < edgeInput * 1024 / edgeLines || centreScale > edgeInput * 2048 / edgeLines) {
    return ScaleFault::kEdgeScaling;
  }
  const int64_t start = edgeInput * 2048 / edgeLines - r->vScale;
  if (start < 1 || start > kScaleMax) return ScaleFault::kScaleRange;
  r->aScale = start;
  return ScaleFault::kNone;
}

bool LinearDivisionUsable(const Division& d) {
  return d.count == 3 && d.area[0] > 0 && d.area[1] > 0;
}

// Linear mode, linked: the centre scale follows its output lines, the edge ramp its own.
ScaleFault FollowLinear(const LiveState& s, ScalerRegs* r) {
  const Division& d = s.division;
  if (!LinearDivisionUsable(d)) return ScaleFault::kEmptyDivision;
  const int64_t edge = r->line[0] - 1, centre = r->line[1] - r->line[0];
  if (edge < 1 || centre < 1) return ScaleFault::kLineOrder;
  const int64_t v = centre * 100 / d.area[1];
  if (!PercentFits(v)) return ScaleFault::kScaleRange;
  r->vScale = PercentToScale(v);
  return SetEdgeRamp(d.area[0], edge, d.area[1] * 1024 / centre, r);
}

ScaleFault MoveLines(const LiveState& s, ScalerRegs* r, bool outer, int64_t outwards) {
  int64_t* l = r->line;
  if (IsPartial(s, *r)) {
    l[outer ? 0 : 1] -= outwards;
    l[outer ? 3 : 2] += outwards;
  } else if (IsLinear(s, *r) && outer) {
    l[0] -= outwards;
    l[1] += outwards;
  } else {
    return ScaleFault::kNone;  // no start lines to move in this mode
  }
  const ScaleFault fault = CheckLines(s, *r);
  if (fault != ScaleFault::kNone || !s.linked) return fault;
  return IsPartial(s, *r) ? FollowPartial(s, r) : FollowLinear(s, r);
}

// A scale key. Linked, the start lines move by the output lines the scaled areas gain or lose,
// so that the division of the source image stays as it is.
ScaleFault StepScaleKey(const LiveState& s, ScalerRegs* r, ScaleReg reg, int64_t by) {
  const int64_t before = ScaleToPercent(r->*reg);
  ScaleFault fault = StepPercent(&(r->*reg), by);
  if (fault != ScaleFault::kNone || !s.linked) return fault;
  const int64_t after = ScaleToPercent(r->*reg);
  const Division& d = s.division;
  auto gain = [&](int64_t input) { return input * after / 100 - input * before / 100; };
  int64_t* l = r->line;
  if (IsPartial(s, *r)) {
    if (d.count != 5) return ScaleFault::kEmptyDivision;
    if (reg == &ScalerRegs::vScale) {
      const int64_t g = gain(d.area[2]);
      l[2] += g;
      l[3] += g;
    } else if (reg == &ScalerRegs::aScale) {
      const int64_t g = gain(d.area[0]);
      for (int i = 0; i < 4; i++) l[i] += g;
    } else {
      const int64_t g = gain(d.area[1]), g2 = gain(d.area[3]);
      l[1] += g;
      l[2] += g;
      l[3] += g + g2;
    }
    return CheckLines(s, *r);
  }
  if (IsLinear(s, *r) && reg == &ScalerRegs::vScale) {
    // The linear division rests on the centre scale alone: the centre grows or shrinks about
    // its middle and the edge ramp follows.
    if (!LinearDivisionUsable(d)) return ScaleFault::kEmptyDivision;
    const int64_t g = gain(d.area[1]);
    const int64_t centre = l[1] - l[0] + g;
    l[0] -= g / 2;
    l[1] = l[0] + centre;
    fault = CheckLines(s, *r);
    return fault != ScaleFault::kNone ? fault : SetEdgeRamp(d.area[0], l[0] - 1, r->vScale, r);
  }
  return ScaleFault::kNone;
}

ScaleFault FitHeight(const LiveState& s, ScalerRegs* r) {
  const int64_t height = s.windowLines;
  if (IsPartial(s, *r)) {
    for (int k = 1; k <= 4; k++) r->line[k - 1] = height * k / 5 + 1;
    const ScaleFault fault = CheckLines(s, *r);
    return fault != ScaleFault::kNone || !s.linked ? fault : FollowPartial(s, r);
  }
  if (!IsLinear(s, *r)) return FitScale(s.windowLines, s.sourceLines, &r->vScale);
  // The smallest edge that still scales at least as strongly as the centre.
  const Division& d = s.division;
  if (!LinearDivisionUsable(d)) return ScaleFault::kEmptyDivision;
  for (int64_t edge = kMinAreaLines; height - 2 * edge >= kMinAreaLines; edge++) {
    const int64_t centre = height - 2 * edge;
    const int64_t centreScale = d.area[1] * 1024 / centre;
    if (centreScale < d.area[0] * 1024 / edge || centreScale > d.area[0] * 2048 / edge) continue;
    r->line[0] = edge + 1;
    r->line[1] = r->line[0] + centre;
    const ScaleFault fault = CheckLines(s, *r);
    return fault != ScaleFault::kNone ? fault : FollowLinear(s, r);
  }
  return ScaleFault::kEdgeScaling;
}

ScaleFault SetMode(ScalerRegs* r, int64_t mode) {
  const bool ready = r->vScale > 0 && r->aScale > 0 && (mode != kWidePartial || r->bScale > 0);
  if (mode != kWideNormal && !ready) return ScaleFault::kModeRegisters;
  r->wide = mode;
  return ScaleFault::kNone;
}

void Derive(LiveState* s) {
  const ScalerRegs& r = s->regs;
  ScaleFault fault = ScaleFault::kEmptyDivision;
  if (IsPartial(*s, r)) {
    fault = PartialDivision(r.line, r.vScale, r.aScale, r.bScale, s->sourceLines, &s->division);
  } else if (IsLinear(*s, r)) {
    fault = LinearDivision(r.line, r.vScale, s->sourceLines, &s->division);
  }
  if (fault != ScaleFault::kNone) s->division = Division{};
}

// In linear mode every change of the centre scale, the edge scale or the first start line
// gives a new delta.
ScaleFault UpdateDelta(const LiveState& s, const ScalerRegs& before, ScalerRegs* r) {
  if (!IsLinear(s, *r)) return ScaleFault::kNone;
  if (before.wide == r->wide && before.vScale == r->vScale && before.aScale == r->aScale &&
      before.line[0] == r->line[0]) {
    return ScaleFault::kNone;
  }
  return LinearDelta(r->vScale, r->aScale, r->line[0], &r->delta);
}

bool PanoramaOnly(LiveStep step) {
  switch (step) {
    case LiveStep::kAUp:
    case LiveStep::kADown:
    case LiveStep::kBUp:
    case LiveStep::kBDown:
    case LiveStep::kOuterOut:
    case LiveStep::kOuterIn:
    case LiveStep::kInnerOut:
    case LiveStep::kInnerIn:
    case LiveStep::kModeNormal:
    case LiveStep::kModePartial:
    case LiveStep::kModeLinear:
    case LiveStep::kToggleLink:
      return true;
    default:
      return false;
  }
}

}  // namespace

bool PanoramaReady(const ScalerRegs& r) {
  if (r.wide == kWidePartial) return r.vScale > 0 && r.aScale > 0 && r.bScale > 0;
  if (r.wide == kWideLinear) return r.vScale > 0 && r.aScale > 0;
  return true;
}

void StartLive(LiveState* s) {
  s->initial = s->regs;
  Derive(s);
}

ScaleFault ApplyLiveStep(LiveState* s, LiveStep step) {
  if (!s->panorama && PanoramaOnly(step)) return ScaleFault::kNone;
  ScalerRegs next = s->regs;
  bool rederive = !s->linked;
  ScaleFault fault = ScaleFault::kNone;
  switch (step) {
    case LiveStep::kHUp:
      fault = StepPercent(&next.hScale, 1);
      break;
    case LiveStep::kHDown:
      fault = StepPercent(&next.hScale, -1);
      break;
    case LiveStep::kVUp:
      fault = StepScaleKey(*s, &next, &ScalerRegs::vScale, 1);
      break;
    case LiveStep::kVDown:
      fault = StepScaleKey(*s, &next, &ScalerRegs::vScale, -1);
      break;
    case LiveStep::kVDownMoves:
      fault = StepDownUntilMoved(&next.vScale);
      break;
    case LiveStep::kAUp:
      fault = StepScaleKey(*s, &next, &ScalerRegs::aScale, 1);
      break;
    case LiveStep::kADown:
      fault = StepScaleKey(*s, &next, &ScalerRegs::aScale, -1);
      break;
    case LiveStep::kBUp:
      fault = StepScaleKey(*s, &next, &ScalerRegs::bScale, 1);
      break;
    case LiveStep::kBDown:
      fault = StepScaleKey(*s, &next, &ScalerRegs::bScale, -1);
      break;
    case LiveStep::kOuterOut:
      fault = MoveLines(*s, &next, true, 1);
      break;
    case LiveStep::kOuterIn:
      fault = MoveLines(*s, &next, true, -1);
      break;
    case LiveStep::kInnerOut:
      fault = MoveLines(*s, &next, false, 1);
      break;
    case LiveStep::kInnerIn:
      fault = MoveLines(*s, &next, false, -1);
      break;
    case LiveStep::kFitHeight:
      fault = FitHeight(*s, &next);
      break;
    case LiveStep::kFitWidth:
      fault = FitScale(s->windowWidth, s->sourceWidth, &next.hScale);
      break;
    case LiveStep::kModeNormal:
      fault = SetMode(&next, kWideNormal);
      rederive = true;
      break;
    case LiveStep::kModePartial:
      fault = SetMode(&next, kWidePartial);
      rederive = true;
      break;
    case LiveStep::kModeLinear:
      fault = SetMode(&next, kWideLinear);
      rederive = true;
      break;
    case LiveStep::kToggleH:
      next.hScaling = !next.hScaling;
      break;
    case LiveStep::kToggleV:
      next.vScaling = !next.vScaling;
      break;
    case LiveStep::kToggleLink:
      s->linked = !s->linked;
      rederive = true;
      break;
    case LiveStep::kRestore:
      next = s->initial;
      rederive = true;
      break;
  }
  if (fault == ScaleFault::kNone && step != LiveStep::kRestore) {
    fault = UpdateDelta(*s, s->regs, &next);
  }
  if (fault != ScaleFault::kNone) return fault;
  s->regs = next;
  if (rederive) Derive(s);
  return ScaleFault::kNone;
}
