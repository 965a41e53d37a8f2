// Script files: a word that names no command is the name of a script to run.
#pragma once

#include <cstdint>

#include "script/value.h"
#include "shell/args.h"

// Runs the script named by argv[0] with the other words as its arguments; result receives its
// return value. With reportMissing, a script that cannot be opened is reported as an error.
// Returns true when the script ran to its end.
bool RunScript(bool reportMissing, int argc, ArgSlot* argv, Value* result);

// True while a script runs (not at the prompt).
bool ScriptIsRunning();

// The local-variable scope of the running script ("init.txt1": its name as typed and its nesting
// depth), or nullptr at the prompt.
const char* ScriptScope();

// The running script's own console mask, which narrows VerboseMask while it runs; nullptr at
// the prompt.
uint32_t* RunningScriptMask();

// The name the running script was started under, as typed; nullptr at the prompt.
const char* RunningScriptName();
