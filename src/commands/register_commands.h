// X, XA, XB, XF, XFB, XR, XRB and BAR: controller registers by index, and the board's windows.
#pragma once

#include "shell/command_table.h"

bool CmdRegister(int argc, ArgSlot* argv, Value* result);
bool CmdRegisterFill(int argc, ArgSlot* argv, Value* result);
bool CmdRegisterReread(int argc, ArgSlot* argv, Value* result);
bool CmdRegisterBurstFill(int argc, ArgSlot* argv, Value* result);
bool CmdRegisterBurstReread(int argc, ArgSlot* argv, Value* result);
bool CmdBar(int argc, ArgSlot* argv, Value* result);

// The start-up settings of all these commands; the default unit is the width of register 0
// in the chip model.
void InitRegisterCommands();
