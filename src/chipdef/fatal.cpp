#include "chipdef/fatal.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "platform/assert.h"

namespace {
constexpr int kExitFatal = 99;
}  // namespace

void ChipDefFatal(const char* file, int line, const char* format, ...) {
  char message[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(message, sizeof message, format, args);
  va_end(args);
  HalAssert("%s (%s, line %d)", message, file, line);
  std::exit(kExitFatal);
}
