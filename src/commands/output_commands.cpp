#include "commands/output_commands.h"

#include <cstring>
#include <string>
#include <string_view>

#include "base/helper.h"
#include "console/output.h"
#include "interp/runner.h"
#include "interp/session.h"
#include "lang/evaluate.h"
#include "lang/number.h"

namespace {

const char* const kHaltHelp[] = {
    " H [Lines]\n",
    " Set halt lines.\n",
    " Lines - The number of lines to display before pausing.\n",
    "         Set lines to 0 to never pause display.\n",
};

const char* const kVerboseHelp[] = {
    " VERBOSE [CMD:ON|OFF] [OUT:ON|OFF] [SET:ON|OFF]\n",
    " VERBOSE CMD:OFF OUT:ON\n",
    " VERBOSE SET:OFF\n",
    " Selects verbose levels of command-line and prompt (CMD), output generated\n",
    " by most commands (OUT), and output generated from the SET command (SET).\n",
};

const char* const kFlogHelp[] = {
    " FLOG Filename [CMD|OUT|SET:ON|OFF]\n",
    " FLOG log.txt CMD:OFF OUT:ON\n",
    " FLOG log.txt SET:OFF\n",
    " Writes to Filename one or more of the following:\n",
    "      CMD - output from command-line and prompts\n",
    "      OUT - any general output or output from PRINT command\n",
    "      SET - output generated from the SET command\n\n",
    " If Filename already exists, output is appended to file.\n",
    " To stop file logging, set the filename to NUL.\n",
};

template <size_t N>
bool PrintHelp(const char* const (&lines)[N]) {
  for (const char* line : lines) {
    if (!OutPrintf(CH_OUT, "%s", line)) return false;
  }
  return true;
}

struct ChannelKeyword {
  const char* name;
  uint32_t bit;
};

const ChannelKeyword kChannelKeywords[] = {{"CMD", CH_CMD}, {"OUT", CH_OUT}, {"SET", CH_SET}};

// Applies one option of the form NAME:ON, NAME=OFF (any case) to mask; false when the word is
// not one of them.
bool ApplyChannelOption(std::string_view word, uint32_t* mask) {
  constexpr size_t kNameLength = 3;
  if (word.size() <= kNameLength + 1 || (word[kNameLength] != ':' && word[kNameLength] != '=')) {
    return false;
  }
  std::string_view state = word.substr(kNameLength + 1);
  for (const ChannelKeyword& row : kChannelKeywords) {
    if (NameCompare(word, row.name, kNameLength) != 0) continue;
    if (EqualsNoCase(state, "ON")) {
      *mask |= row.bit;
      return true;
    }
    if (EqualsNoCase(state, "OFF")) {
      *mask &= ~row.bit;
      return true;
    }
    return false;
  }
  return false;
}

// Applies the options from argv[first] on, in order; the first unknown one is reported.
bool ApplyChannelOptions(int argc, ArgSlot* argv, int first, uint32_t* mask) {
  for (int i = first; i < argc; i++) {
    if (!ApplyChannelOption(argv[i], mask)) {
      return OutPrintf(CH_ERR, "ERROR: \"%s\" is unknown.\n", argv[i]);
    }
  }
  return true;
}

const char* OnOff(uint32_t mask, uint32_t bit) {
  return (mask & bit) != 0 ? "ON" : "OFF";
}

// VERBOSE inside a script changes that script's own mask; at the prompt, and in the
// preferences script, it changes the console mask itself.
uint32_t* VerboseTarget() {
  const char* script = RunningScriptName();
  if (script == nullptr || std::strcmp(script, Shell.preferencesFile) == 0) {
    return &Output.VerboseMask;
  }
  return &Output.ScriptMask;
}

// The log file's name: the word evaluated as an expression (a number gives its decimal
// digits), or the word itself when it does not evaluate.
std::string LogFileName(const char* word) {
  Value value;
  const char* message = nullptr;
  if (Evaluate(word, &value, &message) != 0) return word;
  if (value.isText) return value.text;
  return std::to_string(value.number);
}

bool OpenLog(const char* word) {
  std::string name = LogFileName(word);
  Output.LogFile.reset();
  Output.LogFile.reset(std::fopen(name.c_str(), "a+"));
  if (!Output.LogFile) {
    return OutPrintf(CH_ERR, "ERROR: Could not open file '%s' for writing.\n", name.c_str());
  }
  Output.LogName = name;
  return true;
}

bool CmdHalt(int argc, ArgSlot* argv, Value* result) {
  if (argv[1][0] == '?') return PrintHelp(kHaltHelp);
  if (argc >= 2) {
    uint32_t lines = 0;
    if (ArgToNum(argv[1], 10, &lines) != 0) return OutPrintf(CH_ERR, "ERROR: Invalid argument.\n");
    result->SetNumber(Output.HaltLines);
    Output.HaltLines = lines;
  }
  return OutPrintf(CH_SET, "Current Halt setting: %d lines\n", static_cast<int>(Output.HaltLines));
}

bool CmdVerbose(int argc, ArgSlot* argv, Value*) {
  if (argv[1][0] == '?') return PrintHelp(kVerboseHelp);
  if (!ApplyChannelOptions(argc, argv, 1, VerboseTarget())) return false;
  if (argc > 1 && ScriptIsRunning()) return true;
  uint32_t mask = EffectiveConsoleMask();
  return OutPrintf(CH_SET, "VERBOSE = CMD:%s OUT:%s SET:%s\n", OnOff(mask, CH_CMD),
                   OnOff(mask, CH_OUT), OnOff(mask, CH_SET));
}

bool CmdFlog(int argc, ArgSlot* argv, Value*) {
  if (argv[1][0] == '?') return PrintHelp(kFlogHelp);
  if (argc >= 2 && EqualsNoCase(argv[1], "NUL")) {
    if (!Output.LogFile) {
      return OutPrintf(CH_ERR, "ERROR: FLOG NUL can only be used after file logging is started.\n");
    }
    Output.LogFile.reset();
    return OutPrintf(CH_ALL, "FLOG stopped file logging.\n");
  }
  if (!ApplyChannelOptions(argc, argv, 2, &Output.LogMask)) return false;
  if (argc == 1 || !ScriptIsRunning()) {
    uint32_t mask = Output.LogMask;
    if (!OutPrintf(CH_SET, "FLOG VERBOSE = CMD:%s OUT:%s SET:%s\n", OnOff(mask, CH_CMD),
                   OnOff(mask, CH_OUT), OnOff(mask, CH_SET))) {
      return false;
    }
  }
  return argc < 2 || OpenLog(argv[1]);
}

}  // namespace

const CommandRow kFlogRow = {ADVANCED, "flog", CmdFlog, kNeedsCard,
                             "FLOG file [CMD|OUT|SET:ON|OFF] [..]       - Logs output to file"};
const CommandRow kHaltRow = {
    ADVANCED, "h;halt", CmdHalt, kAnyBoard,
    "H [nLines]                                - Halts by nLines when screen fills"};
const CommandRow kVerboseRow = {
    SCRIPT, "verbose", CmdVerbose, kAnyBoard,
    "VERBOSE [CMD|OUT|SET:ON|OFF] [..]         - Silences: COMmandline,OUTput,SETs"};
