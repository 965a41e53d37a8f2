#include <string_view>

#include "base/helper.h"
#include "commands/script_commands.h"
#include "interp/runner.h"
#include "interp/session.h"
#include "lang/number.h"
#include "platform/timing.h"

namespace {

const char* const kSingleStepHelp[] = {
    " %s [ON|OFF]\n\n",
    " Runs scripts one line at a time.\n",
};
const char* const kDelayHelp[] = {
    " DELAY time\n\n",
    " Delay for a given number of microseconds.\n",
    " time - Delay time in microseconds (decimal).\n",
};
const char* const kSleepHelp[] = {
    " SLEEP time\n\n",
    " Sleep for a given number of milliseconds.\n",
    " time - Sleep time in milliseconds (decimal).\n",
};

// The one argument of DELAY and SLEEP, decimal unless it reads otherwise. Prints the error
// (what names the kind of time) and returns false when there is none.
bool TimeArgument(int argc, ArgSlot* argv, const char* what, uint32_t* time) {
  if (argc != 2) return OutPrintf(CH_ERR, "ERROR: Invalid/missing argument.\n");
  if (ArgToNum(argv[1], 10, time) != 0) {
    return OutPrintf(CH_ERR, "ERROR: '%s' isn't a valid %s time.\n", argv[1], what);
  }
  return true;
}

bool CmdSingleStep(int argc, ArgSlot* argv, Value*) {
  if (AsksForHelp(argc, argv)) return ShowCommandHelp(kSingleStepHelp, argv[0]);
  if (argc > 2) return OutPrintf(CH_ERR, "ERROR: Too many arguments.\n");
  if (argc == 1) return OutPrintf(CH_OUT, "SingleStep = %s\n", Shell.SingleStep ? "ON" : "OFF");
  if (EqualsNoCase(argv[1], "on")) {
    SetSingleStep(true);
  } else if (EqualsNoCase(argv[1], "off")) {
    SetSingleStep(false);
  } else {
    return OutPrintf(CH_ERR, "ERROR: %s accepts only ON or OFF\n", argv[0]);
  }
  return true;
}

bool CmdDelay(int argc, ArgSlot* argv, Value*) {
  if (AsksForHelp(argc, argv)) return ShowCommandHelp(kDelayHelp, argv[0]);
  uint32_t us = 0;
  if (!TimeArgument(argc, argv, "delay", &us)) return false;
  DelayMicroseconds(us);
  return true;
}

bool CmdSleep(int argc, ArgSlot* argv, Value*) {
  if (AsksForHelp(argc, argv)) return ShowCommandHelp(kSleepHelp, argv[0]);
  uint32_t ms = 0;
  if (!TimeArgument(argc, argv, "sleep", &ms)) return false;
  SleepMilliseconds(ms);
  return true;
}

}  // namespace

const CommandRow kDelayRow = {
    SCRIPT, "delay", CmdDelay, kAnyBoard,
    "DELAY microseconds                        - Delays for a period of time"};
const CommandRow kSleepRow = {
    SCRIPT, "sleep", CmdSleep, kAnyBoard,
    "SLEEP milliseconds                        - Sleeps for a period of time"};
const CommandRow kSingleStepRow = {
    SCRIPT, "singlestep", CmdSingleStep, kAnyBoard,
    "SINGLESTEP [ON|OFF]                       - Runs scripts one line at a time"};
