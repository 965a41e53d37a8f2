// Feeds arbitrary lines to the statement splitter and the dispatcher, as the prompt would.
#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "shell/args.h"
#include "shell/dispatch.h"
#include "shell/output.h"
#include "shell/shell.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // A line may turn output on and set the pager (VERBOSE, H): its key then comes from an empty
  // input, never from the terminal the fuzzer was started on.
  int null = open("/dev/null", O_RDONLY);
  if (null >= 0) dup2(null, STDIN_FILENO);
  return 0;
}

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
