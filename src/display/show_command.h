// SHOW: a test pattern drawn into a display window or at a memory address, once or animated.
#pragma once

#include "interp/command_row.h"

// The row this family adds to the command table.
extern const CommandRow kShowRow;
