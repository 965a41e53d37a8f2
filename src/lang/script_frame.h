// What the language sees of the script that runs: its name, arguments, local-variable scope and
// return value. The script runner sets the frame as scripts start and end; at the prompt there
// is none.
#pragma once

#include <string>
#include <vector>

#include "lang/value.h"

struct ScriptFrame {
  const std::vector<std::string>* args = nullptr;  // args[0] is the name as typed
  const char* scope = nullptr;                     // the scope of locals: "init.txt1"
  Value* returnValue = nullptr;
};

// Makes frame the running script's (nullptr: back at the prompt).
void SetScriptFrame(const ScriptFrame* frame);

// True while a script runs (not at the prompt).
bool ScriptIsRunning();

// The local-variable scope of the running script ("init.txt1": its name as typed and its nesting
// depth), or nullptr at the prompt.
const char* ScriptScope();

// The name the running script was started under, as typed; nullptr at the prompt.
const char* RunningScriptName();

// The running script's argument count (its name included) and argument n; 0 and nullptr at the
// prompt, and nullptr for n at or beyond the count.
int ScriptArgCount();
const char* ScriptArg(int n);

// The running script's return value, or nullptr at the prompt.
Value* ScriptReturnValue();
