// The quit command.
#pragma once

#include "shell/command_table.h"

// Q: sets QuitRequested; the prompt loop ends after the rest of the line has run.
bool CmdQuit(int argc, ArgSlot* argv, Value* result);
