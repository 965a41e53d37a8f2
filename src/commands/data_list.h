// Data lists of the memory and register commands: numbers, expressions and quoted characters.
#pragma once

#include <cstdint>

#include "interp/args.h"

constexpr int kMaxDataValues = 128;

// Values from argv[first] on: a quoted argument ("..." or '...') gives one value per character
// (with backslash escapes), any other is a number or expression. Values past kMaxDataValues are
// dropped. Returns 0 on success, or the index of the first invalid argument.
int ParseDataList(int argc, ArgSlot* argv, int first, uint32_t* values, int* count);
