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

// Accesses of width 1, 2 or 4 bytes at a byte offset of the window. Offsets that are no port
// read as 0 and ignore writes.
uint32_t WindowRead(BoardImage* board, uint32_t offset, int width);
void WindowWrite(BoardImage* board, uint32_t offset, uint32_t value, int width);
