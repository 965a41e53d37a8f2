#include "hal/access_hooks.h"

// Breakpoints and the access log are set up from the /break: and /debug: switches; until those
// are built, neither is ever active and the hooks do nothing.
bool BreakpointsActive() {
  return false;
}
void BreakpointHook(uint32_t, AccessKind, HookTiming, uint32_t, uint32_t) {}
bool AccessLogActive() {
  return false;
}
void RecordAccess(uint32_t, uint32_t, uint32_t, const void*, uint32_t, uint32_t) {}
