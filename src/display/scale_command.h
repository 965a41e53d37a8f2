// SCALE: the PIP1 and PIP2 scalers, their filters, the PIP2 panorama areas and the live modes.
#pragma once

#include "interp/command_row.h"

// The row this family adds to the command table.
extern const CommandRow kScaleRow;
