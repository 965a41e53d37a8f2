// The display memory of the configured chip: its size, and the one check that every command
// addressing it makes before any transfer, so that no range wraps or is cut.
#pragma once

#include <cstdint>

// Bytes of display memory of the selected product.
uint32_t DisplayMemorySize();

// True when address is a multiple of unit (1, 2 or 4 bytes) and the bytes from address on lie
// inside display memory. A unit at an address that is no multiple of it would reach the
// rounded-down address on the chip; an address past the end would wrap to the start.
bool DisplayRangeValid(uint32_t address, uint64_t bytes, uint32_t unit);
