// Tokens: registers (whole or bit ranges), display memory, the program's own memory, the raw
// bus, features, script arguments, the return value and the random generator; and the "$"
// variables as assignment targets.
#pragma once

#include <cstdint>
#include <string_view>

#include "lang/value.h"

// Reads the token into value (its kind preset as the evaluator's hint); show prints it on
// CH_SET. Returns 0, or the 1-based position of the fault within token with message set.
int GetToken(std::string_view token, Value* value, bool show, const char** message);

// Stores value into the token; show prints what was stored on CH_SET. Returns 0 or the error
// position within token.
int SetToken(std::string_view token, const Value& value, bool show, const char** message);

// The "." path of SET: shows what the token is and asks for its new value. Returns 0, the error
// position within token, or -1 when the failure has been reported already.
int PromptToken(std::string_view token, const char** message);

// True when the bracket contents are a bit range: hexadecimal index digits, an optional "h",
// "-b" or "-B", the decimal high bit and optionally ":" and the decimal low bit, the high bit not
// below the low one.
bool ParseRegBits(std::string_view contents, uint32_t* index, uint32_t* mask, uint32_t* highBit,
                  uint32_t* lowBit);

// Stores value in the target named by text: a "$" variable of the running script's scope (or
// the prompt's), else a token; echo prints what a token stored on CH_SET.
// Returns 0, or the 1-based position in target of the fault with message.
int AssignTarget(std::string_view target, const Value& value, bool echo, const char** message);
