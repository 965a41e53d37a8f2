// The way to the board that the HAL's acquire opens. Whoever chooses the board (real or
// simulated) hands the HAL its route before the controller is acquired; the HAL only sees the
// transport's seams, never which backend stands behind them.
#pragma once

#include <cstdint>
#include <string>

#include "transport/bus_window.h"
#include "transport/pipe.h"

struct BoardRoute {
  const PipeOps* pipes = nullptr;        // a USB bridge board: the bridge's pipes
  const BusWindowOps* window = nullptr;  // a board on a kernel-mapped bus: its window
  std::string target;                    // the backend's name for the board, empty for its default
  bool quiet = false;                    // the transport keeps its configuration line to itself
  bool hclGiven = false;                 // the run's HCL information flags replace the record's
  uint32_t hcl = 0;
  int lostExitCode = 1;  // the run ends with this when the board is gone mid-session
};

// The route the next acquire takes. Without pipes or a window no board could be chosen.
void halSetBoardRoute(const BoardRoute& route);
const BoardRoute& halBoardRoute();
