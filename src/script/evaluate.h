// Expression evaluation: text to Value, or an error position with a message.
#pragma once

#include <cstdint>
#include <string_view>

#include "script/value.h"

// Evaluates an expression. Returns 0 on success, otherwise the 1-based position of the fault,
// with message pointing at a constant text.
int Evaluate(std::string_view expression, Value* result, const char** message);

// Evaluates text that must give a number ("Value cannot be a string." otherwise).
// Returns 0 or the error position.
int EvalToNum(std::string_view text, uint32_t* out, const char** message);
