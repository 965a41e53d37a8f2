#include "commands/controller_commands.h"

#include "console/output.h"
#include "hal/hal.h"

namespace {

bool CmdVersion(int, ArgSlot* argv, Value*) {
  if (argv[1][0] == '?') {
    OutPrintf(CH_OUT, " VER\n");
    return OutPrintf(CH_OUT, " Shows build version information.\n");
  }
  char banner[256];
  FormatBanner(banner, sizeof banner);
  return OutPrintf(CH_OUT, "%s", banner);
}

}  // namespace

void FormatBanner(char* buffer, size_t size) {
  qvGetVersionInfo("VORN", "test utility", " $Revision: 87 $", buffer, size);
}

const CommandRow kVersionRow = {
    ADVANCED, "ver;version", CmdVersion, kAnyBoard,
    "VER                                       - Show build version info"};
