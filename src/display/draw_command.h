// DRAW: text, lines, boxes and filled rectangles in a display window; SS: the windows' strides
// from their widths.
#pragma once

#include "interp/command_row.h"

// The rows this family adds to the command table.
extern const CommandRow kDrawRow;
extern const CommandRow kSyncStridesRow;
