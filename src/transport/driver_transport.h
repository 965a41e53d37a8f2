// The driver transport: the board's window on a kernel-mapped bus, opened and mapped through one
// of the mapping facilities (a UIO device, /dev/mem, the simulated board's ports), and released.
#pragma once

#include <cstdint>

#include "transport/bus_window.h"

constexpr uint32_t kDriverBoards = 6;

struct DriverTransportState {
  const BusWindowOps* ops = nullptr;     // the facility in use; null while closed
  uintptr_t linear[kDriverBoards] = {};  // the mapped window of each board number; 0: none
  uint32_t size[kDriverBoards] = {};     // its size in bytes
  uint16_t versionHigh = 0;              // the facility's version word, both halves
  uint16_t versionLow = 0;
};
extern DriverTransportState DriverTransport;

// Opens the facility and maps board number `board` (located by its number when physical is 0,
// else at that physical address). Prints the cause in one line when it fails.
MapResult DriverOpenAndMap(const BusWindowOps* ops, const char* target, uint32_t board,
                           uint32_t physical, uintptr_t* linear, uint32_t* size);

// Unmaps every board and closes the facility.
void DriverClose();
