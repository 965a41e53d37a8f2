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
#include "display/draw_command.h"
#include "display/file_commands.h"
#include "display/scale_command.h"
#include "display/show_command.h"

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
