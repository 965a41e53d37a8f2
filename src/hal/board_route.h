// The way to the board that the HAL's acquire opens. Whoever chooses the board (real or
// simulated) hands the HAL its route before the controller is acquired; the HAL only sees the
// transport's seams, never which backend stands behind them.
#pragma once

#include <string>

#include "transport/pipe.h"

struct BoardRoute {
  const PipeOps* pipes = nullptr;  // the bridge's pipes; none when no board could be chosen
  std::string target;              // the backend's name for the board, empty for its default
  bool quiet = false;              // the transport keeps its configuration line to itself
};

// The route the next acquire takes.
void halSetBoardRoute(const BoardRoute& route);
const BoardRoute& halBoardRoute();
