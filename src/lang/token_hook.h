// How the evaluator reaches tokens that are neither literals nor variables (registers, memory
// cells, features, script arguments): through a resolver that the shell installs at start-up.
#pragma once

#include <string_view>

#include "lang/value.h"

// Reads the token into value. The value's kind arrives preset as a hint: text when the caller
// wants the token's text form, number otherwise. Returns 0, or the 1-based position of the fault
// within token with message set.
using TokenHook = int (*)(std::string_view token, Value* value, const char** message);

// Installs the resolver; nullptr removes it.
void InstallTokenHook(TokenHook hook);

// Reads a token through the installed resolver; without one every token is unknown.
int ReadToken(std::string_view token, Value* value, const char** message);
