#include "commands/controller_commands.h"

#include "console/output.h"
#include "hal/hal.h"
#include "hal/hcl_data.h"

namespace {

bool CmdVersion(int, ArgSlot* argv, Value*) {
  if (argv[1][0] == '?') {
    OutPrintf(CH_OUT, " VER\n");
    return OutPrintf(CH_OUT, " Shows build version information.\n");
  }
  char banner[256];
  FormatBanner(banner, sizeof banner);
  if (!OutPrintf(CH_OUT, "%s", banner)) return false;
  // VORN_BOARD's ",hcl=" or a mapped bus may run the board with other flags than the record's.
  if (qvGetHclFlags() == qvHclData.hclFlags) return true;
  return OutPrintf(CH_OUT, "HCL flags in force %04Xh (the record's: %04Xh)\n", qvGetHclFlags(),
                   qvHclData.hclFlags);
}

}  // namespace

void FormatBanner(char* buffer, size_t size) {
  qvGetVersionInfo("VORN", "test utility", " $Revision: 87 $", buffer, size);
}

const CommandRow kVersionRow = {
    ADVANCED, "ver;version", CmdVersion, kAnyBoard,
    "VER                                       - Show build version info"};
