// Where the public operations report to the register breakpoints and the access log. Both are
// inactive until set up from the command line, so the hooks cost one test of a flag each.
#pragma once

#include <cstdint>

enum AccessKind : uint32_t { kAccessRead = 0, kAccessWrite = 1, kAccessModify = 2 };
enum HookTiming : uint32_t { kHookBefore = 0, kHookAfter = 1 };

// Event codes of the access log, by operation and width.
enum AccessEvent : uint32_t {
  kEvRegRead8 = 1,
  kEvRegWrite8 = 4,
  kEvSetBits8 = 7,
  kEvClearBits8 = 10,
  kEvModify8 = 13,
  kEvRegBurstRead8 = 20,
  kEvRegBurstWrite8 = 23,
  kEvMemRead8 = 26,
  kEvMemWrite8 = 29,
  kEvMemBlockRead8 = 32,
  kEvMemRectRead8 = 35,
  kEvMemBlockWrite8 = 38,
  kEvMemRectWrite8 = 41,
};

// The event code of a family for an access width of 1, 2 or 4 bytes.
constexpr uint32_t EventFor(AccessEvent family, uint32_t width) {
  return family + (width == 4 ? 2 : width == 2 ? 1 : 0);
}

struct AccessHookState {
  bool breakpointsOn = false;  // at least one breakpoint is set
  bool logOn = false;          // the access log records
};
extern AccessHookState AccessHooks;

inline bool BreakpointsActive() {
  return AccessHooks.breakpointsOn;
}
inline bool AccessLogActive() {
  return AccessHooks.logOn;
}

// Stops when a breakpoint matches the access (value: the value written, or read after a read).
void BreakpointHook(uint32_t index, AccessKind kind, HookTiming timing, uint32_t value,
                    uint32_t width);

// One register or memory access, or a memory write of count equal elements (a fill).
void RecordAccess(uint32_t event, uint32_t index, uint32_t value, uint32_t count = 1);
// A register burst or a memory block of count elements of the event's width.
void RecordBlock(uint32_t event, uint32_t index, const void* buffer, uint32_t count);
// A rectangle of count elements, width and stride as the operation was given them.
void RecordRect(uint32_t event, uint32_t address, uint32_t count, uint32_t width, uint32_t stride);
