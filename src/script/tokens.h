// Storing a value into a token (register, feature, memory cell) or a "$" variable.
#pragma once

#include <string_view>

#include "script/value.h"

// Stores value in the target named by text; echo prints what was stored on CH_SET.
// Returns 0, or the 1-based position in target of the fault with message.
int AssignTarget(std::string_view target, const Value& value, bool echo, const char** message);
