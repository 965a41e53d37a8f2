// Commands on the controller as a whole: INIT, L, PS, DEBUG and VER; M, MM, PLL and DIAGNOSE
// (mode_commands.cpp).
#pragma once

#include <cstddef>

#include "interp/command_row.h"

// The rows this family adds to the command table.
extern const CommandRow kInitRow;
extern const CommandRow kLutRow;
extern const CommandRow kPowerSaveRow;
extern const CommandRow kDebugRow;
extern const CommandRow kVersionRow;
extern const CommandRow kModeRow;
extern const CommandRow kMemoryMapRow;
extern const CommandRow kPllRow;
extern const CommandRow kDiagnoseRow;

// Room for the banner with the longest configuration description.
constexpr size_t kBannerSize = 512;

// The banner line of start-up and VER: chip, program, builds, attribution and record CRC.
void FormatBanner(char* buffer, size_t size);
