// The live modes of SCALE: the screen of each round, the keys and the registers they change.
#include <span>

#include "base/helper.h"
#include "console/line_editor.h"
#include "console/output.h"
#include "display/scale.h"
#include "platform/console.h"

namespace {

struct KeyRow {
  const char* name;  // as ReadKeyName gives it; letters in any case
  LiveStep step;
};

constexpr KeyRow kWindowKeys[] = {
    {"]", LiveStep::kHUp},          {"[", LiveStep::kHDown},    {"INS", LiveStep::kVUp},
    {"DEL", LiveStep::kVDownMoves}, {"H", LiveStep::kToggleH},  {"V", LiveStep::kToggleV},
    {"F", LiveStep::kFitHeight},    {"W", LiveStep::kFitWidth}, {"I", LiveStep::kRestore},
};

constexpr KeyRow kPanoramaLiveKeys[] = {
    {"[", LiveStep::kHDown},      {"]", LiveStep::kHUp},          {"INS", LiveStep::kVUp},
    {"DEL", LiveStep::kVDown},    {"HOME", LiveStep::kAUp},       {"END", LiveStep::kADown},
    {"PGUP", LiveStep::kBUp},     {"PGDN", LiveStep::kBDown},     {"UP", LiveStep::kOuterOut},
    {"DOWN", LiveStep::kOuterIn}, {"RIGHT", LiveStep::kInnerOut}, {"LEFT", LiveStep::kInnerIn},
    {"1", LiveStep::kModeNormal}, {"2", LiveStep::kModePartial},  {"3", LiveStep::kModeLinear},
    {"F", LiveStep::kFitHeight},  {"H", LiveStep::kToggleH},      {"V", LiveStep::kToggleV},
    {"L", LiveStep::kToggleLink}, {"I", LiveStep::kRestore},
};

constexpr const char* kWindowHelp[] = {
    "  []        = Hscale             H = Toggle Hscale on/off\n",
    "  Ins,Del   = Vscale             V = Toggle Vscale on/off\n",
    "  Q,Esc     = Quit               F = Full Window Height\n",
    "  I         = Restore Initial    W = Full Window Width\n",
};

constexpr const char* kPanoramaHelp[] = {
    "  []        = Hscale    Up,Down   = Line1&4    1 = Normal     H,V = Toggle H/V\n",
    "  Ins,Del   = Vscale    Rght,Left = Line2&3    2 = Partial    Q,Esc = Quit\n",
    "  Home,End  = Ascale    F = Full Win Height    3 = Linear\n",
};
constexpr const char* kLinkHelp =
    "  PgUp,PgDn = Bscale    I = Restore Initial    L = %s Vscale & Height\n";

struct Rect {
  int64_t left, top, right, bottom;
};

struct LiveScreen {
  const ScalerKeys& keys;
  Rect window;
  LiveState state;
};

bool PrintKeyHelp(const LiveState& s) {
  const std::span<const char* const> lines =
      s.panorama ? std::span<const char* const>(kPanoramaHelp) : kWindowHelp;
  for (const char* line : lines) {
    if (!OutPrintf(CH_OUT, "%s", line)) return false;
  }
  // The key's action: linking when unlinked, and back.
  return !s.panorama || OutPrintf(CH_OUT, kLinkHelp, s.linked ? "UnLink" : "Link");
}

bool PrintSizes(const LiveScreen& screen) {
  const LiveState& s = screen.state;
  const Rect& w = screen.window;
  return OutPrintf(CH_OUT, "  Source image: %dx%d\n", static_cast<int>(s.sourceWidth),
                   static_cast<int>(s.sourceLines)) &&
         OutPrintf(CH_OUT, "  %s window:  %dx%d at (%d,%d) and (%d,%d)\n", screen.keys.name,
                   static_cast<int>(s.windowWidth), static_cast<int>(s.windowLines),
                   static_cast<int>(w.left), static_cast<int>(w.top), static_cast<int>(w.right),
                   static_cast<int>(w.bottom));
}

bool PrintDivision(const Division& d) {
  const int64_t* a = d.area;
  if (d.count == 5) {
    return OutPrintf(CH_OUT, "  Division of source image: %d,%d,%d,%d,%d\n\n",
                     static_cast<int>(a[0]), static_cast<int>(a[1]), static_cast<int>(a[2]),
                     static_cast<int>(a[3]), static_cast<int>(a[4]));
  }
  if (d.count == 3) {
    return OutPrintf(CH_OUT, "  Division of source image: %d,%d,%d\n\n", static_cast<int>(a[0]),
                     static_cast<int>(a[1]), static_cast<int>(a[2]));
  }
  return true;
}

// False when the user left the pager with ESC.
bool PrintScreen(ChipDefBase& model, const LiveScreen& screen) {
  // Each round is one screen: the pager only stops one that is longer than its page.
  Output.LineCount = 0;
  return OutPrintf(CH_OUT, "  ----------\n\n") && PrintKeyHelp(screen.state) &&
         OutPrintf(CH_OUT, "\n") && PrintSizes(screen) && PrintDivision(screen.state.division) &&
         PrintScaleReport(model, screen.keys, screen.state.panorama, false);
}

// Waits for a key of the mode's table and gives its step; false for Q and ESC (also the end of
// piped input). Other keys are passed over.
bool ReadStep(bool panorama, LiveStep* step) {
  for (;;) {
    ConsoleFlush();
    char name[kKeyNameSize];
    ReadKeyName(name);
    if (EqualsNoCase(name, "Q") || EqualsNoCase(name, "ESC")) return false;
    const std::span<const KeyRow> rows =
        panorama ? std::span<const KeyRow>(kPanoramaLiveKeys) : kWindowKeys;
    for (const KeyRow& row : rows) {
      if (EqualsNoCase(name, row.name)) {
        *step = row.step;
        return true;
      }
    }
  }
}

// A refused step changes nothing: the terminal rings its bell, piped input gets a line saying
// why. Fitting a size that cannot be fitted and a scale register still at 0 say so anywhere.
void ReportRefusal(ScaleFault fault, LiveStep step) {
  switch (fault) {
    case ScaleFault::kUninitialized:
      OutPrintf(CH_OUT, "Warning: Scale register not yet initialized. No operation was done.\n\n");
      return;
    case ScaleFault::kSourceSize:
    case ScaleFault::kFitPercent:
      OutPrintf(CH_ERR, "ERROR: Cannot fit the window %s: %s.\n",
                step == LiveStep::kFitWidth ? "width" : "height", FaultText(fault));
      return;
    default:
      if (ConsoleIsTerminal()) {
        ConsoleWrite("\a");
      } else {
        OutPrintf(CH_OUT, "WARNING: Step refused: %s.\n", FaultText(fault));
      }
  }
}

Rect ReadWindow(ChipDefBase& model, const ScalerKeys& keys) {
  return {model.GetValue(keys.xStart), model.GetValue(keys.yStart), model.GetValue(keys.xEnd),
          model.GetValue(keys.yEnd)};
}

}  // namespace

ScalerRegs ReadScalerRegs(ChipDefBase& model, const ScalerKeys& keys, bool panorama) {
  ScalerRegs r;
  r.hScale = model.GetFieldValue(keys.hScale);
  r.vScale = model.GetFieldValue(keys.vScale);
  r.hScaling = model.GetFieldValue(keys.hScaling) != 0;
  r.vScaling = model.GetFieldValue(keys.vScaling) != 0;
  if (!panorama) return r;
  const PanoramaKeys& k = kPanoramaKeys;
  r.wide = model.GetFieldValue(k.wide);
  r.aScale = model.GetFieldValue(k.aScale);
  r.bScale = model.GetFieldValue(k.bScale);
  for (int i = 0; i < 4; i++) r.line[i] = model.GetFieldValue(k.line[i]);
  r.delta = model.GetFieldValue(k.delta);
  return r;
}

bool WriteScalerRegs(ChipDefBase& model, const ScalerKeys& keys, const ScalerRegs& before,
                     const ScalerRegs& after) {
  const PanoramaKeys& k = kPanoramaKeys;
  struct Field {
    const char* key;
    int64_t before, after;
  };
  const Field fields[] = {
      {keys.hScale, before.hScale, after.hScale},
      {keys.vScale, before.vScale, after.vScale},
      {keys.hScaling, before.hScaling, after.hScaling},
      {keys.vScaling, before.vScaling, after.vScaling},
      {k.wide, before.wide, after.wide},
      {k.aScale, before.aScale, after.aScale},
      {k.bScale, before.bScale, after.bScale},
      {k.line[0], before.line[0], after.line[0]},
      {k.line[1], before.line[1], after.line[1]},
      {k.line[2], before.line[2], after.line[2]},
      {k.line[3], before.line[3], after.line[3]},
      {k.delta, before.delta, after.delta},
  };
  for (const Field& f : fields) {
    if (f.before != f.after && !WriteField(model, f.key, f.after)) return false;
  }
  return true;
}

bool RunLiveMode(ChipDefBase& model, const ScalerKeys& keys, bool panorama) {
  LiveScreen screen{keys, ReadWindow(model, keys), {}};
  LiveState& s = screen.state;
  s.panorama = panorama;
  s.regs = ReadScalerRegs(model, keys, panorama);
  if (panorama && !PanoramaReady(s.regs)) {
    return OutPrintf(CH_ERR,
                     "ERROR: Scale register must be initialized before entering panorama live "
                     "mode.\n");
  }
  s.windowWidth = screen.window.right - screen.window.left + 1;
  s.windowLines = screen.window.bottom - screen.window.top + 1;
  s.sourceWidth = model.GetValue(keys.width);
  s.sourceLines = model.GetValue(keys.height);
  StartLive(&s);
  if (panorama) {
    OutPrintf(CH_OUT, "Entering PIP2 Panorama Live mode.\n\n");
  } else {
    OutPrintf(CH_OUT, "Entering %s Live mode.\n\n", keys.name);
  }
  for (;;) {
    if (!PrintScreen(model, screen)) return false;
    LiveStep step;
    if (!ReadStep(panorama, &step)) return true;
    const ScalerRegs before = s.regs;
    const ScaleFault fault = ApplyLiveStep(&s, step);
    if (fault != ScaleFault::kNone) {
      ReportRefusal(fault, step);
    } else if (!WriteScalerRegs(model, keys, before, s.regs)) {
      return false;
    }
  }
}
