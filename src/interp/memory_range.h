// The bounds every display-memory transfer is held to before it starts: the range must end
// within display memory (its size from the chip model) and start on its unit.
#pragma once

#include <cstdint>

#include "chipdef/display_memory.h"

// True when length bytes from start lie in display memory and start is a multiple of unit (1,
// 2 or 4). Otherwise prints the error naming the range and returns false.
bool CheckDisplayRange(uint32_t start, uint64_t length, uint32_t unit);

// The bytes a rectangular transfer of count bytes covers from its start: lines of width bytes,
// stride bytes apart (the last line may be short).
uint64_t RectangleSpan(uint64_t count, uint64_t width, uint64_t stride);
