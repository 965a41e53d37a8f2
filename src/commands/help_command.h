// ? and HELP: the browser of the command table's help sections, the bit picture of a register,
// and the search of the chip definition for a phrase.
#pragma once

#include "interp/command_row.h"

// The rows this family adds to the command table.
extern const CommandRow kHelpRow;
