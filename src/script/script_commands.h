// The commands of the script language: running scripts and their control flow, and the
// dialogue with the engineer.
#pragma once

#include "shell/command_table.h"
#include "shell/output.h"

// run_command.cpp
bool CmdRun(int argc, ArgSlot* argv, Value* result);
bool CmdRunPath(int argc, ArgSlot* argv, Value* result);
// section_commands.cpp
bool CmdSection(int argc, ArgSlot* argv, Value* result);
bool CmdGoto(int argc, ArgSlot* argv, Value* result);
// flow_commands.cpp
bool CmdIf(int argc, ArgSlot* argv, Value* result);
bool CmdElse(int argc, ArgSlot* argv, Value* result);
bool CmdWhile(int argc, ArgSlot* argv, Value* result);
// print_command.cpp
bool CmdPrint(int argc, ArgSlot* argv, Value* result);
// input_command.cpp
bool CmdInput(int argc, ArgSlot* argv, Value* result);
// shell_command.cpp
bool CmdShell(int argc, ArgSlot* argv, Value* result);
// step_commands.cpp
bool CmdSingleStep(int argc, ArgSlot* argv, Value* result);
bool CmdDelay(int argc, ArgSlot* argv, Value* result);
bool CmdSleep(int argc, ArgSlot* argv, Value* result);

// Prints help lines on CH_OUT, each formatted with the command name. Returns true.
template <size_t N>
bool ShowCommandHelp(const char* const (&lines)[N], const char* name) {
  for (const char* line : lines) OutPrintf(CH_OUT, line, name);
  return true;
}

inline bool AsksForHelp(int argc, ArgSlot* argv) {
  return argc == 2 && argv[1][0] == '?' && argv[1][1] == '\0';
}
