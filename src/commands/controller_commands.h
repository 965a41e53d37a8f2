// Commands on the controller as a whole.
#pragma once

#include "shell/command_table.h"

// The banner line of start-up and VER: chip, program, builds, attribution and record CRC.
void FormatBanner(char* buffer, size_t size);

bool CmdVersion(int argc, ArgSlot* argv, Value* result);
