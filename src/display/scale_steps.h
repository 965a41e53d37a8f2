// The steps of SCALE's live modes on the scaler registers held as plain numbers: the plain live
// mode of a window and the PIP2 panorama live mode with its linked and unlinked keys. A step
// either changes the registers to values that all fit their fields, or is refused with the
// reason and changes nothing.
#pragma once

#include <cstdint>

#include "display/scale_math.h"

// Wide scaling modes of PIP2.
constexpr int64_t kWideNormal = 0;
constexpr int64_t kWidePartial = 1;
constexpr int64_t kWideLinear = 2;

// The registers the live modes change.
struct ScalerRegs {
  int64_t hScale = 0, vScale = 0;
  bool hScaling = false, vScaling = false;
  int64_t wide = kWideNormal;
  int64_t aScale = 0, bScale = 0;  // panorama areas A and B
  int64_t line[4] = {};            // start lines of areas 1 to 4
  int64_t delta = 0;               // linear panorama delta
  bool operator==(const ScalerRegs&) const = default;
};

enum class LiveStep {
  kHUp,         // horizontal percent + 1
  kHDown,       // horizontal percent - 1
  kVUp,         // vertical percent + 1
  kVDown,       // vertical percent - 1
  kVDownMoves,  // vertical percent down by whole steps until the register moves
  kAUp,         // area A percent + 1
  kADown,
  kBUp,  // area B percent + 1
  kBDown,
  kOuterOut,  // start lines 1 and 4 (linear: 1 and 2) one line outwards
  kOuterIn,
  kInnerOut,  // start lines 2 and 3 one line outwards (partial mode)
  kInnerIn,
  kFitHeight,
  kFitWidth,
  kModeNormal,
  kModePartial,
  kModeLinear,
  kToggleH,
  kToggleV,
  kToggleLink,
  kRestore,
};

struct LiveState {
  ScalerRegs regs, initial;
  int64_t windowWidth = 0, windowLines = 0;
  int64_t sourceWidth = 0, sourceLines = 0;
  bool panorama = false;  // the PIP2 panorama live mode
  bool linked = false;    // scales and start lines keep the division of the source image
  Division division;      // derived from the registers; kept as it is while linked
};

// The panorama live mode needs the scale registers of its wide mode set.
bool PanoramaReady(const ScalerRegs& regs);

// Remembers the registers for kRestore and derives the division.
void StartLive(LiveState* s);

ScaleFault ApplyLiveStep(LiveState* s, LiveStep step);
