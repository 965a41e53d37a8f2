#include "script/tokens.h"

#include "script/runner.h"
#include "script/variables.h"

// Until the chip model and the script context are reachable, no token is known.
int GetToken(std::string_view, Value*, bool, const char** message) {
  *message = "Unknown token or expression.";
  return 1;
}

int SetToken(std::string_view, const Value&, bool, const char** message) {
  *message = "Unknown token or expression.";
  return 1;
}

int AssignTarget(std::string_view target, const Value& value, bool echo, const char** message) {
  if (target.empty() || target[0] != '$') return SetToken(target, value, echo, message);
  if (SetVariable(target, value, ScriptScope())) return 0;
  *message = "Failed to create user variable; exceeded maximum number of variables.";
  return 1;
}
