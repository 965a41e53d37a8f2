// The command table of VORN: the rows of every command family, in the order of the help.
#pragma once

#include "interp/command_row.h"

constexpr size_t kCommandCount = 47;
extern const CommandRow* const VornCommands[kCommandCount];
