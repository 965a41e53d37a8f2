// The words SHOW takes: a target (a window or MEM), the pattern kind, flags, and options of the
// form NAME=value or NAME:value, in any order, from one table.
#pragma once

#include <cstdint>

#include "display/show_pattern.h"
#include "display/windows.h"
#include "interp/args.h"

enum ShowOption : uint32_t {
  kShowWidth,       // W
  kShowHeight,      // H
  kShowLineWidth,   // LW
  kShowIncrement,   // G
  kShowDelay,       // D
  kShowForeground,  // FG
  kShowBackground,  // BG
  kShowBoxWidth,    // GW
  kShowBoxHeight,   // GH
  kShowFrames,      // N
  kShowTime,        // ST
  kShowRectWidth,   // SW
  kShowRectHeight,  // SH
  kShowRectOffset,  // SO
  kShowRotation,    // ROT
  kShowHwcX,        // HX
  kShowHwcY,        // HY
  kShowFrameRate,   // FR
  kShowVoutRate,    // VFR
  kShowVoutDelay,   // VLD
  kShowGpio,        // GPIO
  kShowFormat,      // F
  kShowStart,       // SA
  kShowOptionCount
};

struct ShowRequest {
  int window = kMain1;
  bool memory = false;   // MEM
  bool animate = false;  // ANI
  bool fps = false;      // FPS (or FR=)
  bool hwc = false;      // HWC
  bool mirror = false;   // MIRROR
  bool label = false;    // NAME
  PatternKind kind = PatternKind::kOld;
  bool given[kShowOptionCount] = {};
  uint32_t value[kShowOptionCount] = {};
  int format = -1;  // the table format F= names
};

// Reads argv[1] onward. False after printing the error that names the word.
bool ParseShowWords(int argc, ArgSlot* argv, ShowRequest* request);

// The option's value when it was given, else the default.
inline uint32_t OptionOr(const ShowRequest& r, ShowOption option, uint32_t fallback) {
  return r.given[option] ? r.value[option] : fallback;
}
