// Primary operands of an expression: number literals, text literals with "{}" interpolation,
// variables and tokens, each optionally followed by a ".n" or ".s" converter.
#pragma once

#include <string_view>

#include "lang/value.h"

// Evaluates text that no operator pattern fits. Returns 0, or the 1-based position of the fault
// within text with message set.
int EvaluatePrimary(std::string_view text, Value* result, const char* scope, const char** message);

// The content of a text literal with every "{expression}" replaced by its value (a number as
// upper-case hexadecimal digits); a brace whose expression fails stays as it is. The result is
// cut at the value capacity.
void InterpolateText(std::string_view content, Value* result, const char* scope);
