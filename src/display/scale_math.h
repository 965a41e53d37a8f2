// The arithmetic of the PIP scalers: percentages and scale registers, the two panorama set-ups,
// the linear delta and the division of the source image. Plain numbers in and out; the chip is
// reached elsewhere. Every result that lands in a register is checked against its field here,
// and every divisor against 0.
#pragma once

#include <cstdint>

// A scale register holds input / output in units of 1/1024, so a percentage p (100: same size,
// 200: twice as large) is written as 102400 / p.
constexpr int64_t kPercentUnit = 102400;
constexpr int64_t kScaleMax = 0x1FFF;  // the 13-bit scale registers
constexpr int64_t kLineMax = 0x3FF;    // the 10-bit area start lines
constexpr int64_t kDeltaMax = 0x3FFF;  // the 14-bit linear delta
constexpr int64_t kMinAreaLines = 4;   // the fewest output lines a linked step leaves an area
constexpr int64_t kMinPercent = 13;    // 102400 / 13 is the largest register value that fits
constexpr int64_t kMaxPercent = kPercentUnit;  // 102400 / 102400 is the smallest non-zero one

// Why a set-up or a live step was refused.
enum class ScaleFault {
  kNone,
  kUninitialized,   // the scale register to step reads 0
  kScaleRange,      // a scale register would leave 1 to 8191
  kCentreNegative,  // the edge areas take more input lines than the image has
  kEdgeEmpty,       // the edge areas would get no output lines
  kLineOutside,     // a start line would leave the window (or its field)
  kLineOrder,       // a start line would reach or pass its neighbour
  kAreaLines,       // a panorama area would get fewer than 4 output lines
  kEdgeScaling,     // linear panorama: the edge would lose the stronger scaling
  kDeltaLine,       // the linear delta needs area 1 to start below line 1
  kDelta,           // the linear delta would not fit its register
  kEmptyDivision,   // an area of the source division has no lines to scale
  kModeRegisters,   // the scale registers of that wide mode read 0
  kSourceSize,      // the source image has no size to fit
  kFitPercent,      // the fitted scale is out of range
};

// The reason as the end of a sentence ("a panorama area would get fewer than 4 lines").
const char* FaultText(ScaleFault fault);

// 0 for a percentage of 0 or less.
int64_t PercentToScale(int64_t percent);
// 0 for a register of 0 or less.
int64_t ScaleToPercent(int64_t scale);
// The percentage's register value fits: 13 to 102400.
bool PercentFits(int64_t percent);

// The start lines of a partial panorama from the input heights (lines) and percentages: areas
// A, B, centre, B and A from the top. Each line must lie in 1..windowLines.
struct PartialInput {
  int64_t inputLines, areaA, areaB;
  int64_t vPercent, aPercent, bPercent;
};
ScaleFault PartialStartLines(const PartialInput& in, int64_t windowLines, int64_t lines[4]);

// A linear panorama from the input height, its centre part and the output height: the first
// two start lines, the area A (edge) scale register and the linear delta.
struct LinearInput {
  int64_t inputLines, centreLines, outputLines, vPercent;
};
struct LinearSetup {
  int64_t line1, line2, areaScale, delta;
};
ScaleFault LinearStartLines(const LinearInput& in, int64_t windowLines, LinearSetup* out);

// ((vertical scale - area A scale) x 256) / (area 1 start line - 1): the ramp of the edge's
// scale towards the centre's, which may not fall (the edge scales at least as strongly) and
// must fit its field.
ScaleFault LinearDelta(int64_t vScale, int64_t areaScale, int64_t line1, int64_t* delta);

// The input lines of each area of the source image, top to bottom: five in partial mode (A, B,
// centre, B, A), three in linear mode (edge, centre, edge).
struct Division {
  int64_t area[5] = {};
  int count = 0;
};
ScaleFault PartialDivision(const int64_t lines[4], int64_t vScale, int64_t aScale, int64_t bScale,
                           int64_t sourceLines, Division* out);
ScaleFault LinearDivision(const int64_t lines[4], int64_t vScale, int64_t sourceLines,
                          Division* out);

// The percentage that shows windowSize output pixels from sourceSize input ones, as its
// register value.
ScaleFault FitScale(int64_t windowSize, int64_t sourceSize, int64_t* scale);
