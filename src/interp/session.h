// The state of one VORN session that the interpreter and the commands share.
#pragma once

struct ShellState {
  bool CardPresent = true;      // false after /nocard: only commands allowed without a card run
  bool WorkaroundMode = false;  // /x: the LUT rotation moves whole entries by 8
  bool QuitRequested = false;   // set by Q; ends the prompt loop and any running script
  bool SingleStep = false;      // scripts pause after every line
  const char* preferencesFile = "vorn.txt";
};
extern ShellState Shell;
