// CALC: the built-in calculator.
#pragma once

#include "shell/command_table.h"

// Evaluates its one argument into a result kept between calls and prints it; without an
// argument prints the kept result again.
bool CmdCalc(int argc, ArgSlot* argv, Value* result);
