// R, W, F, D and S: reading, writing, filling, dumping and searching display memory.
#pragma once

#include "shell/command_table.h"

bool CmdRead(int argc, ArgSlot* argv, Value* result);
bool CmdWrite(int argc, ArgSlot* argv, Value* result);
bool CmdFill(int argc, ArgSlot* argv, Value* result);
bool CmdDump(int argc, ArgSlot* argv, Value* result);
bool CmdSearch(int argc, ArgSlot* argv, Value* result);

// Back to the start-up settings (units, addresses, lengths) of all five commands.
void ResetMemoryCommands();
