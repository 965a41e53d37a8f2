// The simulated board's mapped-bus window as a window of the driver transport, so that the
// driver variants run on the same chip and board file as the simulated USB bridge.
#pragma once

#include "sim/board_file.h"
#include "transport/bus_window.h"

// The window stands for the board's whole mapped range; only its ports answer.
constexpr uint32_t kSimBusWindowSize = 0x200000;

// Target: the board file's path; empty for the default path.
extern const BusWindowOps SimBusWindow;

// The board behind the mapped simulated window; null when it is not mapped.
BoardImage* SimBusBoard();
