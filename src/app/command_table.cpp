#include "app/command_table.h"

#include "commands/calc_command.h"
#include "commands/controller_commands.h"
#include "commands/help_command.h"
#include "commands/memory_commands.h"
#include "commands/output_commands.h"
#include "commands/quit_command.h"
#include "commands/register_commands.h"
#include "commands/script_commands.h"
#include "commands/set_command.h"
#include "console/output.h"
#include "display/file_commands.h"
#include "display/scale_command.h"

namespace {

// The answer of every row whose handler has not been built yet.
bool CmdNotImplemented(int, ArgSlot*, Value*) {
  return OutPrintf(CH_ERR, "ERROR: This command is not implemented yet.\n");
}

// clang-format off
constexpr CommandRow kShowRow = {BASIC, "show;sh", CmdNotImplemented, kNeedsCard,
                          "SHOW [MAIN1|MAIN2|PIP1|PIP2|MEM] [..]     - Shows a test pattern to screen"};
constexpr CommandRow kDrawRow = {ADVANCED, "draw", CmdNotImplemented, kNeedsCard,
                          "DRAW [MAIN1|MAIN2 ..] [TEXT|LINE|BOX ..]  - Draws various graphics to screen"};
constexpr CommandRow kSyncStridesRow = {ADVANCED, "ss", CmdNotImplemented, kNeedsCard,
                          "SS                                        - Synchronize strides"};
// clang-format on

}  // namespace

const CommandRow* const VornCommands[kCommandCount] = {
    &kInitRow,
    &kModeRow,
    &kMemoryMapRow,
    &kShowRow,
    &kSetRow,
    &kReadRow,
    &kWriteRow,
    &kFillRow,
    &kDumpRow,
    &kSearchRow,
    &kRegisterRow,
    &kRegisterFillRow,
    &kRegisterRereadRow,
    &kRegisterBurstFillRow,
    &kRegisterBurstRereadRow,
    &kBarRow,
    &kQuitRow,
    &kHelpRow,
    &kCalcRow,
    &kDebugRow,
    &kDiagnoseRow,
    &kDrawRow,
    &kFileDumpRow,
    &kFileLoadRow,
    &kFlogRow,
    &kFileSizeRow,
    &kScaleRow,
    &kHaltRow,
    &kLutRow,
    &kPllRow,
    &kPowerSaveRow,
    &kRunRow,
    &kRunPathRow,
    &kSyncStridesRow,
    &kVersionRow,
    &kGotoRow,
    &kSectionRow,
    &kIfRow,
    &kElseRow,
    &kWhileRow,
    &kDelayRow,
    &kSleepRow,
    &kPrintRow,
    &kInputRow,
    &kShellRow,
    &kSingleStepRow,
    &kVerboseRow,
};
