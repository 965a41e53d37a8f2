// The mapped-bus window of the simulated board: the ports through which a kernel-mapped bus
// reaches the same chip as the USB bridge does.
#pragma once

#include <cstdint>

#include "sim/board_file.h"

constexpr uint32_t kWindowIndexPort = 0;   // register index; bit 0 marks a read cycle
constexpr uint32_t kWindowStatusPort = 2;  // read only
constexpr uint32_t kWindowDataPort = 4;    // the selected register; 32 bits: two accesses
constexpr uint32_t kWindowSparePort = 8;

constexpr uint16_t kStatusBusy = 0x0001;      // a memory write is still in progress
constexpr uint16_t kStatusPortFull = 0x0010;  // the memory port takes no more data for now

// How the window's memory writes take their time, and its fault switches; per process.
struct WindowFaults {
  // A write through the memory port, or a read address set up, keeps the busy and port-full
  // bits set for this long after the first status read that sees it (which sees them set); 0:
  // the bus is never busy.
  uint32_t busyNs = 2000;
  bool busyForever = false;      // the busy bit never clears
  bool portFullForever = false;  // the memory port never has room
};
extern WindowFaults WindowFault;

// Accesses of width 1, 2 or 4 bytes at a byte offset of the window. Offsets that are no port
// read as 0 and ignore writes.
uint32_t WindowRead(BoardImage* board, uint32_t offset, int width);
void WindowWrite(BoardImage* board, uint32_t offset, uint32_t value, int width);
