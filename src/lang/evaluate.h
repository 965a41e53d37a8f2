// Expression evaluation: text to Value, or an error position with a message.
#pragma once

#include <cstdint>
#include <string_view>

#include "lang/value.h"

// The result of a failed evaluation or token access: the 1-based position of the fault, with its
// message.
inline int Fail(const char** message, const char* text, int position) {
  *message = text;
  return position;
}

// Evaluates an expression in a variable scope (the running script's scope text, or nullptr for
// the globals only). Returns 0 on success, otherwise the 1-based position of the fault within
// expression, with *message (when message is given) pointing at a constant text. A failure
// leaves nothing changed but result.
int Evaluate(std::string_view expression, Value* result, const char* scope, const char** message);

// Evaluates an expression in the running script's scope (the globals at the prompt), as the
// commands do.
int Evaluate(std::string_view expression, Value* result, const char** message);

// Evaluates text in the running script's scope; it must give a number ("Value cannot be a
// string." otherwise). Returns 0 or the error position.
int EvalToNum(std::string_view text, uint32_t* out, const char** message);
