#include "commands/controller_commands.h"

#include <iterator>

#include "base/helper.h"
#include "chipdef/chipdef.h"
#include "console/output.h"
#include "hal/hal.h"
#include "hal/hcl_data.h"

namespace {

bool InvalidArgument() {
  return OutPrintf(CH_ERR, "ERROR: Invalid/missing argument.\n");
}

// ---- INIT ----

struct InitOption {
  const char* name;
  uint32_t flag;
  const char* help;
};

constexpr InitOption kInitOptions[] = {
    {"NORESET", kInitNoReset, " NORESET   - Does not issue the software reset.\n"},
    {"NOREGS", kInitNoRegs, " NOREGS    - Does not write the configured registers.\n"},
    {"NOLCDS", kInitNoLcds, " NOLCDS    - Does not send the panel interface commands.\n"},
    {"NOLUT", kInitNoLut, " NOLUT     - Does not load the look-up tables.\n"},
    {"NOVRAM", kInitNoVram, " NOVRAM    - Does not clear display memory.\n"},
    {"ONLYRESET", kInitOnlyReset, " ONLYRESET - Only issues the software reset.\n"},
    {"ONLYREGS", kInitOnlyRegs, " ONLYREGS  - Only writes the configured registers.\n"},
    {"ONLYLCDS", kInitOnlyLcds, " ONLYLCDS  - Only sends the panel interface commands.\n"},
    {"ONLYLUT", kInitOnlyLut, " ONLYLUT   - Only loads the look-up tables.\n"},
    {"ONLYVRAM", kInitOnlyVram, " ONLYVRAM  - Only clears display memory.\n"},
};
constexpr uint32_t kInitNoOptions =
    kInitNoReset | kInitNoRegs | kInitNoLcds | kInitNoLut | kInitNoVram;
constexpr uint32_t kInitOnlyOptions =
    kInitOnlyReset | kInitOnlyRegs | kInitOnlyLcds | kInitOnlyLut | kInitOnlyVram;

const InitOption* FindInitOption(const char* word) {
  for (const InitOption& option : kInitOptions) {
    if (EqualsNoCase(word, option.name)) return &option;
  }
  return nullptr;
}

bool ShowInitHelp() {
  OutPrintf(CH_OUT, " INIT [NORESET] [NOREGS] [NOLCDS] [NOLUT] [NOVRAM]\n");
  OutPrintf(CH_OUT, " INIT [ONLYRESET|ONLYREGS|ONLYLCDS|ONLYLUT|ONLYVRAM]\n");
  for (const InitOption& option : kInitOptions) OutPrintf(CH_OUT, "%s", option.help);
  OutPrintf(CH_OUT, "\nDefault values for INIT:");
  if (halHclFlags() & qvfNO_RESET) OutPrintf(CH_OUT, " NORESET");
  OutPrintf(CH_OUT, " NOVRAM");
  return OutPrintf(CH_OUT, "\n");
}

bool CmdInit(int argc, ArgSlot* argv, Value*) {
  if (argv[1][0] == '?') return ShowInitHelp();
  uint32_t flags = 0;
  for (int i = 1; i < argc; i++) {
    const InitOption* option = FindInitOption(argv[i]);
    if (option == nullptr) return InvalidArgument();
    flags |= option->flag;
  }
  const bool only = (flags & kInitOnlyOptions) != 0;
  if (!only) {
    flags |= kInitNoVram;  // display memory is kept unless asked for
  } else if (flags & kInitNoOptions) {
    return OutPrintf(CH_ERR, "ERROR: INIT cannot combine NOflags with ONLYflags.\n");
  }
  if ((halHclFlags() & qvfNO_RESET) && (flags & kInitOnlyReset)) {
    return OutPrintf(CH_ERR, "ERROR: VORN has been configured for NORESET.\n");
  }
  if (only) flags |= kInitCheckInOnlyMode;
  if (qvInitializeController(flags)) return true;
  char reason[80];
  qvGetLastError(reason, sizeof reason);
  return OutPrintf(CH_ERR, "%s\n", reason);
}

// ---- PS ----

bool CmdPowerSave(int argc, ArgSlot* argv, Value*) {
  if (argv[1][0] == '?') return OutPrintf(CH_OUT, " PS {ON|OFF}\n");
  if (argc != 2) return InvalidArgument();
  if (EqualsNoCase(argv[1], "off")) {
    ChipModel().SetValue("powersave", 0);
    return OutPrintf(CH_SET, "Power Save Off (Power Up Sequence started)\n");
  }
  if (EqualsNoCase(argv[1], "on")) {
    ChipModel().SetValue("powersave", 1);
    return OutPrintf(CH_SET, "Power Save On (Power Down Sequence started)\n");
  }
  return InvalidArgument();
}

// ---- DEBUG ----

bool CmdDebug(int, ArgSlot* argv, Value*) {
  if (argv[1][0] == '?') {
    OutPrintf(CH_OUT, " Toggle HAL debugging flag.\n");
    OutPrintf(CH_OUT, " While it is enabled, the HAL prints every register write as\n");
    OutPrintf(CH_OUT, "    HAL [index] W:value\n");
    return OutPrintf(CH_OUT, " Look-up table programming is not shown.\n");
  }
  const bool wasOn = qvSetDebug(false);
  qvSetDebug(!wasOn);
  return OutPrintf(CH_SET, "HAL debugging is %s!\n", wasOn ? "DISABLED" : "ENABLED");
}

// ---- VER ----

bool CmdVersion(int, ArgSlot* argv, Value*) {
  if (argv[1][0] == '?') {
    OutPrintf(CH_OUT, " VER\n");
    return OutPrintf(CH_OUT, " Shows build version information.\n");
  }
  char banner[kBannerSize];
  FormatBanner(banner, sizeof banner);
  if (!OutPrintf(CH_OUT, "%s", banner)) return false;
  // VORN_BOARD's ",hcl=" or a mapped bus may run the board with other flags than the record's.
  if (halHclFlags() == halRecord().hclFlags) return true;
  return OutPrintf(CH_OUT, "HCL flags in force %04Xh (the record's: %04Xh)\n", halHclFlags(),
                   halRecord().hclFlags);
}

}  // namespace

void FormatBanner(char* buffer, size_t size) {
  qvGetVersionInfo("VORN", "test utility", " $Revision: 87 $", buffer, size);
}

// clang-format off
const CommandRow kInitRow = {BASIC, "init", CmdInit, kNeedsCard,
                          "INIT [NOflags|ONLYflags]                  - Initializes LCD controller"};
const CommandRow kDebugRow = {ADVANCED, "debug", CmdDebug, kNeedsCard,
                          "DEBUG                                     - HAL debugging"};
const CommandRow kPowerSaveRow = {ADVANCED, "ps", CmdPowerSave, kNeedsCard,
                          "PS [ON|OFF]                               - Controls Power Save mode"};
const CommandRow kVersionRow = {ADVANCED, "ver;version", CmdVersion, kAnyBoard,
                          "VER                                       - Show build version info"};
// clang-format on
