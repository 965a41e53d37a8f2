#include "platform/assert.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "platform/console.h"

namespace {

constexpr int kExitAbort = 99;
AssertResponder Responder = nullptr;

// Rings the bell and reads keys of the terminal until y, n or Enter; piped input is never read
// here. No terminal at all, or its end, counts as Enter.
int AskAbort() {
  for (;;) {
    ConsoleWrite("\a");
    int key = Responder != nullptr ? Responder() : ConsoleReadTerminalKey();
    if (key < 0) return '\r';
    key = std::tolower(key);
    if (key == 'y' || key == 'n' || key == '\r' || key == '\n') return key;
  }
}

}  // namespace

void SetAssertResponder(AssertResponder responder) {
  Responder = responder;
}

int HalAssert(const char* format, ...) {
  int count = std::printf("ASSERT - ");
  va_list args;
  va_start(args, format);
  count += std::vprintf(format, args);
  va_end(args);
  count += std::printf("\nAbort [Y]: ");
  int answer = AskAbort();
  std::printf("\n");
  ConsoleFlush();
  if (answer != 'n') std::exit(kExitAbort);
  return count;
}
