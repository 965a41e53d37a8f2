// Data lists of the memory and register commands: numbers, expressions and quoted characters.
#pragma once

#include <cstdint>

#include "interp/args.h"

constexpr int kMaxDataValues = 128;

// What ParseDataList gives for a list of more than kMaxDataValues values.
constexpr int kDataListTooLong = -1;

// Values from argv[first] on: a quoted argument ("..." or '...') gives one value per character
// (with backslash escapes), any other is a number or expression. Returns 0 on success, the index
// of the first invalid argument, or kDataListTooLong: a list is never cut.
int ParseDataList(int argc, ArgSlot* argv, int first, uint32_t* values, int* count);

// Prints the message for a ParseDataList result other than 0. Returns false.
bool ReportDataList(ArgSlot* argv, int result);

// ParseDataList for the commands that need at least one value (an empty quoted text gives
// none): prints the message and returns false when the list is not usable.
bool ParseDataArguments(int argc, ArgSlot* argv, int first, uint32_t* values, int* count);
