// CALC: the built-in calculator.
#pragma once

#include "interp/command_row.h"

// The rows this family adds to the command table.
extern const CommandRow kCalcRow;
