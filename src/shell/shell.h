// The shell's own state and the program entry.
#pragma once

#include <cstdint>

struct ShellState {
  bool CardPresent = true;      // false after /nocard: only commands allowed without a card run
  bool WorkaroundMode = false;  // /x: the LUT rotation moves whole entries by 8
  bool QuitRequested = false;   // set by Q; ends the prompt loop and any running script
  bool SingleStep = false;      // scripts pause after every line
  const char* prompt = "=";
  const char* preferencesFile = "vorn.txt";
  uint32_t consoleWidth = 80;  // columns of the help and reference listings
};
extern ShellState Shell;

// Start-up, switches, then the command line's command or the prompt loop. Returns the exit code.
int VornMain(int argc, char** argv);
