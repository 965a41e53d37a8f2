// The simulated bridge as a set of pipes for the USB transport.
#pragma once

#include "sim/board_file.h"
#include "transport/pipe.h"

// Target: the board file's path; empty for the default path.
extern const PipeOps SimPipes;

// The board behind the open simulated pipes; null when they are closed.
BoardImage* SimBoard();
