// How commands read numeric arguments, and the .n/.s value converters.
#pragma once

#include <cstdint>
#include <string_view>

#include "base/number_text.h"
#include "lang/value.h"

// Reads a numeric command argument: a plain literal in the default radix, else the argument
// evaluated as an expression that must give a number. 0 on success, -1 on failure (out untouched).
int ArgToNum(std::string_view arg, int defaultRadix, uint32_t* out);

// Applies a converter to value in place. spec is the text after the converter's dot: "n" or "s",
// an optional radix letter and an optional decimal width. Returns nullptr on success, otherwise
// the failure message.
const char* ConvertValue(Value* value, std::string_view spec);
