// The commands that steer the output: the pager length, the console channels and the log file.
#pragma once

#include "interp/command_row.h"

// The rows this family adds to the command table.
extern const CommandRow kFlogRow;
extern const CommandRow kHaltRow;
extern const CommandRow kVerboseRow;
