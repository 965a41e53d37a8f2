// Commands on the controller as a whole.
#pragma once

#include "interp/command_row.h"

// The rows this family adds to the command table.
extern const CommandRow kVersionRow;

// The banner line of start-up and VER: chip, program, builds, attribution and record CRC.
void FormatBanner(char* buffer, size_t size);
