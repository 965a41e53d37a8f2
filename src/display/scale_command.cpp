#include "display/scale_command.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <iterator>
#include <span>
#include <string_view>

#include "base/helper.h"
#include "chipdef/chipdef.h"
#include "console/output.h"
#include "display/scale.h"
#include "lang/number.h"

namespace {

enum OptionId : size_t {
  kHs,
  kVs,
  kHf,
  kVf,
  kHsen,
  kVsen,
  kW,
  kPavs,
  kPbvs,
  kSl1,
  kSl2,
  kSl3,
  kSl4,
  kHi,
  kHa,
  kHb,
  kHc,
  kHo,
  kOptionCount
};

enum class OptionKind { kPercent, kFilterSet, kEnable, kWideMode, kStartLine, kHeight };

struct OptionRow {
  const char* name;
  OptionKind kind;
  const char* label;  // in "isn't valid for %s."
  bool panorama;      // PIP2 panorama scaling
};

constexpr OptionRow kOptions[] = {
    {"HS", OptionKind::kPercent, "HS", false},
    {"VS", OptionKind::kPercent, "VS", false},
    {"HF", OptionKind::kFilterSet, "HF", false},
    {"VF", OptionKind::kFilterSet, "VF", false},
    {"HSEN", OptionKind::kEnable, "HSEN", false},
    {"VSEN", OptionKind::kEnable, "VSEN", false},
    {"W", OptionKind::kWideMode, "W", true},
    {"PAVS", OptionKind::kPercent, "PAVS", true},
    {"PBVS", OptionKind::kPercent, "PBVS", true},
    {"SL1", OptionKind::kStartLine, "SL1", true},
    {"SL2", OptionKind::kStartLine, "SL2", true},
    {"SL3", OptionKind::kStartLine, "SL3", true},
    {"SL4", OptionKind::kStartLine, "SL4", true},
    {"HI", OptionKind::kHeight, "input image height", true},
    {"HA", OptionKind::kHeight, "area A height", true},
    {"HB", OptionKind::kHeight, "area B height", true},
    {"HC", OptionKind::kHeight, "center area height", true},
    {"HO", OptionKind::kHeight, "output image height", true},
};
static_assert(std::size(kOptions) == kOptionCount);

// What the command line asks for, checked before anything is written.
struct ScalePlan {
  size_t window = kPip1;
  bool panorama = false;  // PIP2 on a product with panorama scaling
  bool given[kOptionCount] = {};
  int64_t value[kOptionCount] = {};
  bool live = false;
};

bool Given(const ScalePlan& p, std::initializer_list<OptionId> ids) {
  for (OptionId id : ids) {
    if (!p.given[id]) return false;
  }
  return true;
}

bool PartialAsked(const ScalePlan& p) {
  return p.given[kHa] || p.given[kHb];
}

bool LinearAsked(const ScalePlan& p) {
  return p.given[kHc] || p.given[kHo];
}

bool PartialComplete(const ScalePlan& p) {
  return Given(p, {kHa, kHb, kHi, kVs, kPavs, kPbvs});
}

bool LinearComplete(const ScalePlan& p) {
  return Given(p, {kHc, kHo, kHi, kVs});
}

const char* ChipName(ChipDefBase& model) {
  return model.GetProductTitle(TITLE_NAME);
}

int64_t WindowLines(ChipDefBase& model, const ScalerKeys& keys) {
  return static_cast<int64_t>(model.GetValue(keys.yEnd)) - model.GetValue(keys.yStart) + 1;
}

bool ValueFits(ChipDefBase& model, const ScalePlan& plan, OptionKind kind, int64_t v) {
  switch (kind) {
    case OptionKind::kPercent:
      return PercentFits(v);
    case OptionKind::kFilterSet:
      return v < kFilterSetCount;
    case OptionKind::kEnable:
    case OptionKind::kWideMode:
      return v <= 2;
    case OptionKind::kStartLine:
      // Start lines count from 1 at the top of the window; without panorama they do nothing.
      return !plan.panorama ||
             (v >= 1 && v <= std::min(WindowLines(model, kScalerKeys[kPip2]), kLineMax));
    case OptionKind::kHeight:
      return v != 0;
  }
  return false;
}

// One option word: NAME:value or NAME=value, LIVE or PANO. Prints the error.
bool ParseOption(ChipDefBase& model, const char* word, ScalePlan* plan) {
  const bool pano = EqualsNoCase(word, "PANO");
  if (pano && plan->window == kPip1) {
    return OutPrintf(CH_ERR, "ERROR: Panorama live mode is only valid for PIP2.\n");
  }
  if (pano || EqualsNoCase(word, "LIVE")) {
    if (pano && !plan->panorama) {
      return OutPrintf(CH_ERR, "ERROR: '%s' needs panorama scaling, which the %s does not have.\n",
                       word, ChipName(model));
    }
    plan->live = true;
    return true;
  }
  const char* separator = std::strpbrk(word, ":=");
  const std::string_view name(word, separator != nullptr ? separator - word : 0);
  for (size_t id = 0; id < kOptionCount; id++) {
    const OptionRow& row = kOptions[id];
    if (separator == nullptr || !EqualsNoCase(name, row.name)) continue;
    if (row.panorama && plan->window == kPip2 && !plan->panorama) {
      return OutPrintf(CH_ERR, "ERROR: '%s' needs panorama scaling, which the %s does not have.\n",
                       word, ChipName(model));
    }
    uint32_t v = 0;
    if (ArgToNum(separator + 1, 10, &v) != 0 || !ValueFits(model, *plan, row.kind, v)) {
      return OutPrintf(CH_ERR, "ERROR: '%s' isn't valid for %s.\n", word, row.label);
    }
    plan->given[id] = true;
    plan->value[id] = v;
    return true;
  }
  return OutPrintf(CH_ERR, "ERROR: '%s' is not a valid argument.\n", word);
}

PartialInput PartialOf(const ScalePlan& p) {
  return {p.value[kHi], p.value[kHa], p.value[kHb], p.value[kVs], p.value[kPavs], p.value[kPbvs]};
}

LinearInput LinearOf(const ScalePlan& p) {
  return {p.value[kHi], p.value[kHc], p.value[kHo], p.value[kVs]};
}

// The value a register will hold when the W step reads it back: the one this command writes,
// else the chip's.
int64_t Planned(ChipDefBase& model, const ScalePlan& p, OptionId id, const char* key) {
  if (!p.given[id]) return model.GetFieldValue(key);
  return id == kSl1 ? p.value[id] : PercentToScale(p.value[id]);
}

// True for no fault; otherwise prints the reason.
bool Refused(ScaleFault fault) {
  if (fault == ScaleFault::kNone) return true;
  return OutPrintf(CH_ERR, "ERROR: Panorama set-up refused: %s.\n", FaultText(fault));
}

// The panorama arithmetic of the whole command, checked before anything is written.
bool CheckPanorama(ChipDefBase& model, const ScalePlan& p) {
  if (!p.panorama) return true;
  const int64_t lines = WindowLines(model, kScalerKeys[kPip2]);
  ScaleFault fault = ScaleFault::kNone;
  int64_t start[4];
  LinearSetup linear;
  int64_t delta = 0;
  if (PartialAsked(p) && PartialComplete(p)) fault = PartialStartLines(PartialOf(p), lines, start);
  if (fault == ScaleFault::kNone && LinearAsked(p) && LinearComplete(p)) {
    fault = LinearStartLines(LinearOf(p), lines, &linear);
  }
  if (fault == ScaleFault::kNone && p.given[kW] && p.value[kW] == kWideLinear && !LinearAsked(p)) {
    fault = LinearDelta(Planned(model, p, kVs, kScalerKeys[kPip2].vScale),
                        Planned(model, p, kPavs, kPanoramaKeys.aScale),
                        Planned(model, p, kSl1, kPanoramaKeys.line[0]), &delta);
  }
  return Refused(fault);
}

bool LoadFilter(ChipDefBase& model, const ScalerKeys& keys, int64_t select, int64_t set) {
  if (!WriteField(model, keys.coefSelect, select)) return false;
  if (model.GetFieldValue(keys.counter) != 0 && !WriteField(model, keys.counterReset, 1)) {
    return false;
  }
  for (int i = kFilterTaps - 1; i >= 0; i--) {
    if (!WriteField(model, keys.coefPort, static_cast<uint8_t>(kFilterSets[set].coef[i]))) {
      return false;
    }
  }
  return true;
}

// Mode 0: scaling and filter off; 1: scaling on; 2: scaling and filter on.
bool SetEnable(ChipDefBase& model, const char* scaling, const char* filter, int64_t mode) {
  return WriteField(model, scaling, mode >= 1) && WriteField(model, filter, mode == 2);
}

bool InsufficientArguments() {
  return OutPrintf(CH_ERR, "ERROR: Insufficient arguments.\n");
}

// The set-up steps of the panorama, in their order after the scales.
bool SetUpPanoramaLines(ChipDefBase& model, const ScalePlan& p) {
  const PanoramaKeys& k = kPanoramaKeys;
  if (p.given[kPavs] && !WriteField(model, k.aScale, PercentToScale(p.value[kPavs]))) return false;
  if (p.given[kPbvs] && !WriteField(model, k.bScale, PercentToScale(p.value[kPbvs]))) return false;
  for (int i = 0; i < 4; i++) {
    if (p.given[kSl1 + i] && !WriteField(model, k.line[i], p.value[kSl1 + i])) return false;
  }
  if (!p.given[kW]) return true;
  if (!WriteField(model, k.wide, p.value[kW])) return false;
  // A linear panorama set-up below writes its own delta.
  if (p.value[kW] != kWideLinear || LinearAsked(p)) return true;
  int64_t delta = 0;
  return Refused(LinearDelta(model.GetFieldValue(kScalerKeys[kPip2].vScale),
                             model.GetFieldValue(k.aScale), model.GetFieldValue(k.line[0]),
                             &delta)) &&
         WriteField(model, k.delta, delta);
}

bool SetUpPanoramaAreas(ChipDefBase& model, const ScalePlan& p) {
  const PanoramaKeys& k = kPanoramaKeys;
  const int64_t lines = WindowLines(model, kScalerKeys[kPip2]);
  if (PartialAsked(p)) {
    if (!PartialComplete(p)) return InsufficientArguments();
    int64_t start[4];
    if (!Refused(PartialStartLines(PartialOf(p), lines, start))) return false;
    for (int i = 0; i < 4; i++) {
      if (!WriteField(model, k.line[i], start[i])) return false;
    }
  }
  if (LinearAsked(p)) {
    if (!LinearComplete(p)) return InsufficientArguments();
    LinearSetup s;
    if (!Refused(LinearStartLines(LinearOf(p), lines, &s))) return false;
    return WriteField(model, k.line[0], s.line1) && WriteField(model, k.line[1], s.line2) &&
           WriteField(model, k.aScale, s.areaScale) && WriteField(model, k.delta, s.delta);
  }
  return true;
}

bool SetUp(ChipDefBase& model, const ScalePlan& p) {
  const ScalerKeys& keys = kScalerKeys[p.window];
  if (p.given[kHs] && !WriteField(model, keys.hScale, PercentToScale(p.value[kHs]))) return false;
  if (p.given[kVs] && !WriteField(model, keys.vScale, PercentToScale(p.value[kVs]))) return false;
  if (p.panorama && !SetUpPanoramaLines(model, p)) return false;
  if (p.given[kHf] && !LoadFilter(model, keys, 0, p.value[kHf])) return false;
  if (p.given[kVf] && !LoadFilter(model, keys, 1, p.value[kVf])) return false;
  if (p.given[kHsen] && !SetEnable(model, keys.hScaling, keys.hFilter, p.value[kHsen])) {
    return false;
  }
  if (p.given[kVsen] && !SetEnable(model, keys.vScaling, keys.vFilter, p.value[kVsen])) {
    return false;
  }
  if (p.panorama && !SetUpPanoramaAreas(model, p)) return false;
  return !p.live || RunLiveMode(model, keys, p.panorama);
}

int EnableMode(ChipDefBase& model, const char* scaling, const char* filter) {
  return model.GetFieldValue(scaling) == 0 ? 0 : 1 + (model.GetFieldValue(filter) != 0);
}

constexpr const char* kWideNames[] = {"Norm", "Part", "Line", "Rsrv"};

// Percent signs reach the console as "%%" arguments: the console formats every piece twice.
constexpr const char* kPercent = "%%";

// Each line takes the percent signs it shows as "%%" arguments.
constexpr const char* kLegend[] = {
    "\n",
    "\tHS%s,VS%s  = X/Y Scaling (100%s indicates same input & output size)\n",
    "\tHF,VF    = Horizontal/Vertical filter coefficient set\n",
    "\tHSEN     = Horizontal scaling and filter enable\n",
    "\tVSEN     = Vertical scaling and filter enable\n",
};
constexpr const char* kPanoramaLegend[] = {
    "\tW        = Wide scaling mode select\n",
    "\tPAVS%s    = Panorama area A vertical scaling\n",
    "\tPBVS%s    = Panorama area B vertical scaling\n",
    "\tSL#      = Panorama area n vertical start line\n",
    "\tDELTA    = Panorama area linear delta\n",
};

bool PrintLegendLines(std::span<const char* const> lines) {
  for (const char* line : lines) {
    if (!OutPrintf(CH_OUT, line, kPercent, kPercent, kPercent)) return false;
  }
  return true;
}

bool PrintLegend(bool panorama) {
  return PrintLegendLines(kLegend) && (!panorama || PrintLegendLines(kPanoramaLegend)) &&
         OutPrintf(CH_OUT, "\tNote: The values displayed are the current register settings.\n");
}

constexpr const char* kHelp[] = {
    "\n",
    " SCALE PIP1|PIP2 [HS:n] [VS:n] [HF:n] [VF:n] [HSEN:n] [VSEN:n] [LIVE]\n",
    " SCALE PIP2 [W:n] [PAVS:n] [PBVS:n] [SL1:n]..[SL4:n] [PANO]\n",
    " SCALE PIP2 HI:n HA:n HB:n VS:n PAVS:n PBVS:n | HI:n HC:n HO:n VS:n\n",
    " Sets up the scaler of a PIP window; the window alone shows its settings.\n",
    " Values are decimal; NAME=n is the same as NAME:n.\n",
    " HS,VS     - Scaling in percent, 13 to 102400 (100 = same size).\n",
    " HF,VF     - Filter coefficients: 0 Cubic 1.0, 1 Cubic 0.5, 2 B-Spline,\n",
    "             3 Linear, 4 Average.\n",
    " HSEN,VSEN - 0 scaling off, 1 scaling on, 2 scaling and filter on.\n",
    " W         - PIP2 wide scaling: 0 normal, 1 partial or 2 linear panorama.\n",
    " PAVS,PBVS - PIP2 panorama area A/B vertical scaling in percent.\n",
    " SL1..SL4  - PIP2 panorama area start lines, 1 to the window height.\n",
    " HI,HA,HB  - Partial panorama: input, area A and area B heights.\n",
    " HI,HC,HO  - Linear panorama: input, centre and output heights.\n",
    " LIVE      - Changes the scaling key by key while the panel shows it.\n",
    " PANO      - The PIP2 panorama live mode.\n",
    " Panorama scaling needs a controller that has it; PIP1 ignores its options.\n",
};

bool PrintHelp() {
  for (const char* line : kHelp) {
    if (!OutPrintf(CH_OUT, "%s", line)) return false;
  }
  return true;
}

bool ParseWindow(const char* word, size_t* window) {
  for (size_t w = 0; w < std::size(kScalerKeys); w++) {
    if (EqualsNoCase(word, kScalerKeys[w].name)) {
      *window = w;
      return true;
    }
  }
  return false;
}

bool CmdScale(int argc, ArgSlot* argv, Value*) {
  return RunScale(ChipModel(), argc, argv);
}

}  // namespace

bool WriteField(ChipDefBase& model, const char* key, int64_t value) {
  if (value >= 0 && value <= UINT32_MAX && model.SetFieldValue(key, static_cast<uint32_t>(value))) {
    return true;
  }
  return OutPrintf(CH_ERR, "ERROR: Could not write %lld to %s.\n", static_cast<long long>(value),
                   key);
}

bool HasScalerFeatures(ChipDefBase& model, const ScalerKeys& k) {
  for (const char* key :
       {k.hScale, k.vScale, k.hScaling, k.vScaling, k.hFilter, k.vFilter, k.coefSelect, k.counter,
        k.counterReset, k.coefPort, k.xStart, k.xEnd, k.yStart, k.yEnd, k.width, k.height}) {
    if (!model.FeatureExists(key)) return false;
  }
  return true;
}

bool HasPanorama(ChipDefBase& model, size_t window) {
  if (window != kPip2) return false;
  const PanoramaKeys& k = kPanoramaKeys;
  for (const char* key :
       {k.wide, k.aScale, k.bScale, k.line[0], k.line[1], k.line[2], k.line[3], k.delta}) {
    if (!model.FeatureExists(key)) return false;
  }
  return true;
}

bool PrintScaleReport(ChipDefBase& model, const ScalerKeys& keys, bool panorama, bool legend) {
  if (panorama) {
    OutPrintf(CH_OUT, "  HS%s  VS%s HSEN VSEN WIDE PAVS%s PVBS%s SL1 SL2 SL3 SL4 DELTA\n", kPercent,
              kPercent, kPercent, kPercent);
  } else {
    OutPrintf(CH_OUT, "  HS%s  VS%s HSEN VSEN\n", kPercent, kPercent);
  }
  const ScalerRegs r = ReadScalerRegs(model, keys, panorama);
  OutPrintf(CH_OUT, " %4d %4d %4d %4d", static_cast<int>(ScaleToPercent(r.hScale)),
            static_cast<int>(ScaleToPercent(r.vScale)),
            EnableMode(model, keys.hScaling, keys.hFilter),
            EnableMode(model, keys.vScaling, keys.vFilter));
  bool shown;
  if (panorama) {
    shown = OutPrintf(CH_OUT, " %s %5d %5d %3d %3d %3d %3d %5d\n", kWideNames[r.wide & 3],
                      static_cast<int>(ScaleToPercent(r.aScale)),
                      static_cast<int>(ScaleToPercent(r.bScale)), static_cast<int>(r.line[0]),
                      static_cast<int>(r.line[1]), static_cast<int>(r.line[2]),
                      static_cast<int>(r.line[3]), static_cast<int>(r.delta));
  } else {
    shown = OutPrintf(CH_OUT, "\n");
  }
  return legend ? shown && PrintLegend(panorama) : shown;
}

bool RunScale(ChipDefBase& model, int argc, ArgSlot* argv) {
  if (argc < 2) return OutPrintf(CH_ERR, "ERROR: SCALE requires a minimum of one argument.\n");
  if (std::strcmp(argv[1], "?") == 0) return PrintHelp();
  ScalePlan plan;
  if (!ParseWindow(argv[1], &plan.window)) {
    return OutPrintf(CH_ERR, "ERROR: SCALE requires PIP1 or PIP2 specifier.\n");
  }
  const ScalerKeys& keys = kScalerKeys[plan.window];
  if (!HasScalerFeatures(model, keys)) {
    return OutPrintf(CH_ERR, "ERROR: The %s has no %s scaler.\n", ChipName(model), keys.name);
  }
  plan.panorama = HasPanorama(model, plan.window);
  for (int i = 2; i < argc; i++) {
    if (!ParseOption(model, argv[i], &plan)) return false;
  }
  if (argc == 2) return PrintScaleReport(model, keys, plan.panorama, true);
  return CheckPanorama(model, plan) && SetUp(model, plan);
}

const CommandRow kScaleRow = {
    ADVANCED, "scale", CmdScale, kNeedsCard,
    "SCALE PIP1|PIP2 HS:n VS:n HF:n VF:n       - Set PIP scaling factor and coefs"};
