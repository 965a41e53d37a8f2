// SET: lists the variables of the current scope, or shows or sets one token or variable.
#pragma once

#include "interp/command_row.h"

// The rows this family adds to the command table.
extern const CommandRow kSetRow;
