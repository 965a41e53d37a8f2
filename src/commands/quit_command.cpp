#include "commands/quit_command.h"

#include "console/output.h"
#include "interp/session.h"

namespace {

bool CmdQuit(int, ArgSlot* argv, Value*) {
  if (argv[1][0] == '?') return OutPrintf(CH_OUT, "Quit program.\n");
  Shell.QuitRequested = true;
  return true;
}

}  // namespace

const CommandRow kQuitRow = {BASIC, "q;quit;ex;exit", CmdQuit, kAnyBoard,
                             "Q                                         - Quits VORN"};
