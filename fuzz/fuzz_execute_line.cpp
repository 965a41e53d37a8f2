// Feeds arbitrary lines to the statement splitter and the dispatcher, as the prompt would.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "shell/args.h"
#include "shell/dispatch.h"
#include "shell/output.h"
#include "shell/shell.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Quiet, and without a card: the fuzzer exercises parsing, not the board.
  Output.VerboseMask = 0;
  Shell.CardPresent = false;
  Shell.QuitRequested = false;
  const char* line = reinterpret_cast<const char*>(data);
  bool executed = false;
  ExecuteLine(line, size, &executed);
  ArgSlot words[kMaxArgs];
  int count = SplitArgs(line, size, words);
  for (int i = 0; i < count; i++) {
    if (std::strlen(words[i]) >= kArgSize) __builtin_trap();
  }
  return 0;
}
