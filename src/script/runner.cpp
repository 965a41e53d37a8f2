#include "script/runner.h"

#include "shell/output.h"

// Until the runner lands, no script file opens.
bool RunScript(bool reportMissing, int, ArgSlot* argv, Value*) {
  if (!reportMissing) return false;
  return OutPrintf(CH_ERR,
                   "ERROR: '%s.txt' is not a valid command or script file which can be opened.\n",
                   argv[0]);
}

bool ScriptIsRunning() {
  return false;
}

const char* ScriptScope() {
  return nullptr;
}

uint32_t* RunningScriptMask() {
  return nullptr;
}

const char* RunningScriptName() {
  return nullptr;
}
