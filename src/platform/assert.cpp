#include "platform/assert.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "platform/console.h"

namespace {

constexpr int kExitAbort = 99;

struct AssertState {
  AssertResponder responder = nullptr;
  int watches = 0;  // watches in force (nested ones count)
  bool fired = false;
};
AssertState Asserts;

// Rings the bell and reads keys of the terminal until y, n or Enter; piped input is never read
// here. No terminal at all, or its end, counts as Enter.
int AskAbort() {
  for (;;) {
    ConsoleWrite("\a");
    int key = Asserts.responder != nullptr ? Asserts.responder() : ConsoleReadTerminalKey();
    if (key < 0) return '\r';
    key = std::tolower(key);
    if (key == 'y' || key == 'n' || key == '\r' || key == '\n') return key;
  }
}

}  // namespace

void SetAssertResponder(AssertResponder responder) {
  Asserts.responder = responder;
}

AssertWatch::AssertWatch() {
  if (Asserts.watches++ == 0) Asserts.fired = false;
}

AssertWatch::~AssertWatch() {
  Asserts.watches--;
}

bool AssertWatch::Fired() const {
  return Asserts.fired;
}

int HalAssert(const char* format, ...) {
  int count = std::printf("ASSERT - ");
  va_list args;
  va_start(args, format);
  count += std::vprintf(format, args);
  va_end(args);
  if (Asserts.watches > 0) {
    Asserts.fired = true;
    return count + std::printf("\n");
  }
  count += std::printf("\nAbort [Y]: ");
  int answer = AskAbort();
  std::printf("\n");
  ConsoleFlush();
  if (answer != 'n') std::exit(kExitAbort);
  return count;
}
