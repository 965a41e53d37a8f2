// The commands of the script language: running scripts and their control flow, and the
// dialogue with the engineer.
#pragma once

#include "console/output.h"
#include "interp/command_row.h"

// The rows this family adds to the command table.
extern const CommandRow kRunRow;
extern const CommandRow kRunPathRow;
extern const CommandRow kGotoRow;
extern const CommandRow kSectionRow;
extern const CommandRow kIfRow;
extern const CommandRow kElseRow;
extern const CommandRow kWhileRow;
extern const CommandRow kDelayRow;
extern const CommandRow kSleepRow;
extern const CommandRow kSingleStepRow;
extern const CommandRow kPrintRow;
extern const CommandRow kInputRow;
extern const CommandRow kShellRow;

// Prints help lines on CH_OUT, each formatted with the command name. Returns true.
template <size_t N>
bool ShowCommandHelp(const char* const (&lines)[N], const char* name) {
  for (const char* line : lines) OutPrintf(CH_OUT, line, name);
  return true;
}

inline bool AsksForHelp(int argc, ArgSlot* argv) {
  return argc == 2 && argv[1][0] == '?' && argv[1][1] == '\0';
}
