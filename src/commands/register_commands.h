// X, XA, XB, XF, XFB, XR, XRB and BAR: controller registers by index, and the board's windows.
#pragma once

#include "interp/command_row.h"

// The rows this family adds to the command table.
extern const CommandRow kRegisterRow;
extern const CommandRow kRegisterFillRow;
extern const CommandRow kRegisterRereadRow;
extern const CommandRow kRegisterBurstFillRow;
extern const CommandRow kRegisterBurstRereadRow;
extern const CommandRow kBarRow;

// The start-up settings of all these commands; the default unit is the width of register 0
// in the chip model.
void InitRegisterCommands();
