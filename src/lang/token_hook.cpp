#include "lang/token_hook.h"

namespace {
TokenHook InstalledHook = nullptr;
}  // namespace

void InstallTokenHook(TokenHook hook) {
  InstalledHook = hook;
}

int ReadToken(std::string_view token, Value* value, const char** message) {
  if (InstalledHook == nullptr) {
    *message = "Unknown token or expression.";
    return 1;
  }
  return InstalledHook(token, value, message);
}
