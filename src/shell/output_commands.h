// The commands that steer the output: the pager length, the console channels and the log file.
#pragma once

#include "shell/command_table.h"

// H [Lines]: lines between pauses of the pager (0 never pauses); the result is the previous
// setting.
bool CmdHalt(int argc, ArgSlot* argv, Value* result);

// VERBOSE [CMD|OUT|SET:ON|OFF] ..: the console channels, of the running script or of the prompt.
bool CmdVerbose(int argc, ArgSlot* argv, Value* result);

// FLOG file [CMD|OUT|SET:ON|OFF] ..: copies the chosen channels into a file; FLOG NUL stops.
bool CmdFlog(int argc, ArgSlot* argv, Value* result);
