// Feeds arbitrary texts to the /break: and /debug: parsers; the breakpoints accepted then meet
// accesses of every width and kind, with the stop prompt answered r.
#include <cstddef>
#include <cstdint>
#include <string>

#include "hal/access_hooks.h"
#include "hal/access_log.h"
#include "hal/breakpoints.h"
#include "hal/hal.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  DebugLogSettings settings;
  ParseDebugLogText(text, &settings);

  qvClearBreakpoints();
  SetBreakKeyReader([]() -> int { return 'r'; });
  if (qvSetBreakpoints(text.c_str())) {
    for (uint32_t index : {0u, 0x16u, 0x43u, 0xFFFFFFFEu}) {
      for (uint32_t width : {1u, 2u, 4u}) {
        for (AccessKind kind : {kAccessRead, kAccessWrite, kAccessModify}) {
          BreakpointHook(index, kind, kHookBefore, 0x12345678, width);
          BreakpointHook(index, kind, kHookAfter, 0x12345678, width);
        }
      }
    }
  } else if (qvGetLastError(nullptr, 0) < kHalBreakAlign ||
             qvGetLastError(nullptr, 0) > kHalBreakAccess) {
    __builtin_trap();  // a refusal always names its reason
  }
  return 0;
}
