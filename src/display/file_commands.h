// FDUMP, FLOAD and FSIZE: display memory, registers and the program's own memory to and from
// binary files and BMP, PPM and PNG pictures, and the size of a file in units.
#pragma once

#include "interp/command_row.h"

// The rows this family adds to the command table.
extern const CommandRow kFileDumpRow;
extern const CommandRow kFileLoadRow;
extern const CommandRow kFileSizeRow;
