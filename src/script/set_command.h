// SET: lists the variables of the current scope, or shows or sets one token or variable.
#pragma once

#include "shell/command_table.h"

bool CmdSet(int argc, ArgSlot* argv, Value* result);
