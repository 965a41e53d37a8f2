// R, W, F, D and S: reading, writing, filling, dumping and searching display memory.
#pragma once

#include "interp/command_row.h"

// The rows this family adds to the command table.
extern const CommandRow kReadRow;
extern const CommandRow kWriteRow;
extern const CommandRow kFillRow;
extern const CommandRow kDumpRow;
extern const CommandRow kSearchRow;

// Back to the start-up settings (units, addresses, lengths) of all five commands.
void ResetMemoryCommands();
