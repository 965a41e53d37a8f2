// Feeds arbitrary lines to the statement splitter and the dispatcher, as the prompt would.
#include <fcntl.h>
#include <unistd.h>

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "app/command_table.h"
#include "console/output.h"
#include "interp/args.h"
#include "interp/dispatch.h"
#include "interp/runner.h"
#include "interp/session.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // A line may turn output on and set the pager (VERBOSE, H): its key then comes from an empty
  // input, never from the terminal the fuzzer was started on.
  int null = open("/dev/null", O_RDONLY);
  if (null >= 0) dup2(null, STDIN_FILENO);
  InstallCommandTable(VornCommands);
  // Words that name no command are script names: none may be found, wherever the fuzzer runs.
  for (size_t n = 0; n < kSearchPathEntries; n++) SetSearchPathEntry(n, "/nonexistent-vorn-fuzz/");
  return 0;
}

// Commands that would run programs, wait or loop without end are left out.
bool NamesAnUnboundedCommand(const char* line, size_t size) {
  static const char* const kLeftOut[] = {"shell", "while", "sleep", "delay", "goto", "runpath"};
  std::string lower(line, size);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (const char* word : kLeftOut) {
    if (lower.find(word) != std::string::npos) return true;
  }
  return false;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (NamesAnUnboundedCommand(reinterpret_cast<const char*>(data), size)) return 0;
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
