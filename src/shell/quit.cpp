#include "shell/quit.h"

#include "shell/output.h"
#include "shell/shell.h"

bool CmdQuit(int, ArgSlot* argv, Value*) {
  if (argv[1][0] == '?') return OutPrintf(CH_OUT, "Quit program.\n");
  Shell.QuitRequested = true;
  return true;
}
