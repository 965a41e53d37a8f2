// The register breakpoints of /break: and the step mode of their stop prompt.
#pragma once

#include <cstddef>

constexpr size_t kMaxBreakpoints = 32;

// Tests answer the stop prompt through a reader that returns the key (-1: no more keys),
// instead of standard input.
using BreakKeyReader = int (*)();
void SetBreakKeyReader(BreakKeyReader reader);
