#include "lang/script_frame.h"

namespace {
const ScriptFrame* CurrentFrame = nullptr;
}  // namespace

void SetScriptFrame(const ScriptFrame* frame) {
  CurrentFrame = frame;
}

bool ScriptIsRunning() {
  return CurrentFrame != nullptr;
}

const char* ScriptScope() {
  return CurrentFrame != nullptr ? CurrentFrame->scope : nullptr;
}

const char* RunningScriptName() {
  return CurrentFrame != nullptr ? (*CurrentFrame->args)[0].c_str() : nullptr;
}

int ScriptArgCount() {
  return CurrentFrame != nullptr ? static_cast<int>(CurrentFrame->args->size()) : 0;
}

const char* ScriptArg(int n) {
  if (n < 0 || n >= ScriptArgCount()) return nullptr;
  return (*CurrentFrame->args)[static_cast<size_t>(n)].c_str();
}

Value* ScriptReturnValue() {
  return CurrentFrame != nullptr ? CurrentFrame->returnValue : nullptr;
}
