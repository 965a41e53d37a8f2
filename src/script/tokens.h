// Tokens: registers, memory cells, features, script arguments, and the "$" variables as
// assignment targets.
#pragma once

#include <string_view>

#include "script/value.h"

// Reads the token into value (its kind preset as the evaluator's hint); show prints it on
// CH_SET. Returns 0, or the 1-based position of the fault within token with message set.
int GetToken(std::string_view token, Value* value, bool show, const char** message);

// Stores value into the token; show prints what was stored on CH_SET. Returns 0 or the error
// position within token.
int SetToken(std::string_view token, const Value& value, bool show, const char** message);

// Stores value in the target named by text: a "$" variable of the running script's scope (or
// the prompt's), else a token; echo prints what a token stored on CH_SET.
// Returns 0, or the 1-based position in target of the fault with message.
int AssignTarget(std::string_view target, const Value& value, bool echo, const char** message);
