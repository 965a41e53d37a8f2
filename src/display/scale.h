// SCALE: the set-up of the PIP1 and PIP2 scalers through the chip model's features, the report
// of their settings and the live modes. Every function takes the model it works on, so that
// tests can give it one of another product.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>

#include "chipdef/chipdef_base.h"
#include "display/scale_steps.h"
#include "interp/args.h"

// The feature keys of one window's scaler.
struct ScalerKeys {
  const char* name;  // "PIP1"
  const char *hScale, *vScale, *hScaling, *vScaling, *hFilter, *vFilter;
  const char *coefSelect, *counter, *counterReset, *coefPort;
  const char *xStart, *xEnd, *yStart, *yEnd;  // the window on the panel
  const char *width, *height;                 // the source image
};

constexpr ScalerKeys kScalerKeys[] = {
    {"PIP1", "pip1hscale", "pip1vscale", "pip1hscaling", "pip1vscaling", "pip1hfilter",
     "pip1vfilter", "pip1coef", "pip1counter", "pip1countreset", "pip1coefport", "pip1xstart",
     "pip1xend", "pip1ystart", "pip1yend", "pip1width", "pip1height"},
    {"PIP2", "pip2hscale", "pip2vscale", "pip2hscaling", "pip2vscaling", "pip2hfilter",
     "pip2vfilter", "pip2coef", "pip2counter", "pip2countreset", "pip2coefport", "pip2xstart",
     "pip2xend", "pip2ystart", "pip2yend", "pip2width", "pip2height"},
};
constexpr size_t kPip1 = 0;
constexpr size_t kPip2 = 1;

// The PIP2 panorama features; a product without any of them has no panorama scaling.
struct PanoramaKeys {
  const char *wide, *aScale, *bScale, *line[4], *delta;
};
constexpr PanoramaKeys kPanoramaKeys = {
    "pip2widescale",
    "pip2areaavscale",
    "pip2areabvscale",
    {"pip2area1start", "pip2area2start", "pip2area3start", "pip2area4start"},
    "pip2lineardelta"};

// Filter coefficient sets: 16 taps in units of 1/64, entry 0 first.
constexpr int kFilterTaps = 16;
struct FilterSet {
  const char* name;
  int8_t coef[kFilterTaps];
};
constexpr FilterSet kFilterSets[] = {
    {"Cubic 1.0", {0, -3, -5, -8, -9, -9, -6, 0, 8, 19, 29, 40, 49, 57, 62, 64}},
    {"Cubic 0.5", {0, -1, -2, -4, -4, -4, -2, 0, 5, 14, 24, 36, 46, 55, 61, 64}},
    {"B-Spline", {0, 0, 1, 2, 3, 5, 8, 11, 15, 20, 25, 30, 35, 39, 41, 42}},
    {"Linear", {0, 0, 0, 0, 0, 0, 0, 0, 8, 16, 24, 32, 40, 48, 56, 64}},
    {"Average", {16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 32}},
};
constexpr uint32_t kFilterSetCount = std::size(kFilterSets);

// Every basic feature of the window exists for the selected product; with panorama, every
// panorama feature too.
bool HasScalerFeatures(ChipDefBase& model, const ScalerKeys& keys);
bool HasPanorama(ChipDefBase& model, size_t window);

// The whole command on this model: report, set-up and live modes.
bool RunScale(ChipDefBase& model, int argc, ArgSlot* argv);

// The heading and the values of the window's settings; with the legend below them.
bool PrintScaleReport(ChipDefBase& model, const ScalerKeys& keys, bool panorama, bool legend);

// The scaler registers as the live modes hold them, and writing back those that changed.
ScalerRegs ReadScalerRegs(ChipDefBase& model, const ScalerKeys& keys, bool panorama);
bool WriteScalerRegs(ChipDefBase& model, const ScalerKeys& keys, const ScalerRegs& before,
                     const ScalerRegs& after);

// The live mode of the window (the panorama live mode with panorama); returns when the user
// leaves it, false when the output was stopped at the pager or a write failed.
bool RunLiveMode(ChipDefBase& model, const ScalerKeys& keys, bool panorama);

// Writes one raw field; prints the error and returns false when it does not take.
bool WriteField(ChipDefBase& model, const char* key, int64_t value);
