// Program entry: start-up, switches, the command line's command or the prompt loop.
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>

#include "app/command_table.h"
#include "app/startup.h"
#include "base/helper.h"
#include "base/string_list.h"
#include "board/board_select.h"
#include "chipdef/chipdef.h"
#include "commands/controller_commands.h"
#include "commands/register_commands.h"
#include "console/line_editor.h"
#include "console/output.h"
#include "console/tree.h"
#include "hal/hal.h"
#include "interp/dispatch.h"
#include "interp/runner.h"
#include "interp/session.h"
#include "lang/token_hook.h"
#include "lang/tokens.h"
#include "platform/console.h"

namespace {

constexpr int kGoOn = -1;  // a switch's answer when start-up continues
constexpr size_t kLineSize = 256;

struct StartUpState {
  bool quiet = false;  // -q: no banner, no transport configuration line
};
StartUpState StartUp;

int ShowUsage(const char*) {
  static const char* const kUsage[] = {
      "\nDebugger for LCD Controller.\n",
      "\nUsage: VORN [cmd] [/?]",
      "\n",
      "\nWhere: cmd    A command which can also be typed at the VORN prompt.",
      "\n       /?                Show this usage message",
      "\n       /X                Enable software workaround for known hardware bugs",
      "\n       /BREAK:list       Breakpoint list",
      "\n       /DEBUG:rwx:file   Debug logging",
      "\n                         r, w: log each access to file (debug.log), at any exit",
      "\n                         x: each element of a block too; a burst keeps its line",
      "\n",
  };
  for (const char* item : kUsage) OutPrintf(CH_OUT, "%s", item);
  return 0;
}

int NoCard(const char*) {
  OutPrintf(CH_OUT,
            "!!!!! WARNING: Detected /nocard switch!\n!!!!! The LCD controller was not "
            "acquired.\n!!!!! Only the HELP command is supported in this mode.\n\n");
  Shell.CardPresent = false;
  return kGoOn;
}

void WriteDebugLogAtExit() {
  ConsoleFlush();  // the program's own output comes before the log's messages
  qvWriteDebugLog();
}

// The access log is written on every way out: the end of the prompt loop, a one-shot command,
// an error exit, an assertion's abort and the signals that end the program.
void WriteDebugLogOnEveryExit() {
  static bool arranged = false;
  if (arranged) return;
  arranged = true;
  std::atexit(WriteDebugLogAtExit);
  ConsoleOnQuitSignal([] { qvWriteDebugLog(); });
}

int DebugLog(const char* text) {
  if (!qvSetDebugLog(text)) {
    OutPrintf(CH_ERR, "ERROR: '/debug:%s': use the letters r, w and x, then optionally :file.\n",
              text);
    return 1;
  }
  WriteDebugLogOnEveryExit();
  return kGoOn;
}

int Breakpoints(const char* list) {
  if (qvSetBreakpoints(list)) return kGoOn;
  char reason[80];
  uint32_t code = qvGetLastError(reason, sizeof reason);
  OutPrintf(CH_ERR, "\n\n%s (%u)\n", reason, code);
  return 1;
}

int Workaround(const char*) {
  Shell.WorkaroundMode = true;
  return kGoOn;
}

struct SwitchRow {
  const char* name;
  bool prefix;                     // matches the argument's start; the rest goes to the handler
  int (*apply)(const char* rest);  // kGoOn, or the exit code to stop with
};

const SwitchRow kSwitches[] = {
    {"/?", false, ShowUsage},       {"/nocard", false, NoCard}, {"/debug:", true, DebugLog},
    {"/break:", true, Breakpoints}, {"/x", false, Workaround},
};

// Switches match without regard to case; the text after a prefix switch keeps its case (a
// log file's name).
const SwitchRow* MatchSwitch(const char* arg) {
  for (const SwitchRow& row : kSwitches) {
    size_t n = std::strlen(row.name);
    bool whole = std::strlen(arg) == n;
    if ((row.prefix || whole) && StartsWithNoCase(arg, row.name)) return &row;
  }
  return nullptr;
}

// Applies the switches among the arguments, emptying each one found; every other argument
// stays as typed. Returns kGoOn, or the exit code a switch asked for.
int ApplySwitches(int argc, char** argv) {
  for (int i = 1; i < argc; i++) {
    const SwitchRow* row = MatchSwitch(argv[i]);
    if (row == nullptr) continue;
    int code = row->apply(argv[i] + std::strlen(row->name));
    argv[i][0] = '\0';
    if (code != kGoOn) return code;
  }
  return kGoOn;
}

void PrintBanner() {
  char banner[kBannerSize];
  FormatBanner(banner, sizeof banner);
  OutPrintf(CH_OUT, "%s\n", banner);
}

// The options a Linux user expects, taken from the words before the command (a switch may stand
// among them). Each one found is emptied. Returns kGoOn, or the exit code to stop with.
int ApplyLinuxOptions(int argc, char** argv) {
  for (int i = 1; i < argc; i++) {
    std::string_view word = argv[i];
    if (MatchSwitch(argv[i]) != nullptr) continue;
    if (word.size() < 2 || word[0] != '-') break;
    if (word == "-h" || word == "--help") {
      ShowUsage(nullptr);
      OutPrintf(CH_OUT,
                "       -h, --help        Show this usage message\n"
                "       --version         Show the build and version\n"
                "       -q, --quiet       Leave out the banner, for scripts and pipes\n");
      return 0;
    }
    if (word == "--version") {
      PrintBanner();
      return 0;
    }
    if (word != "-q" && word != "--quiet") {
      ShowUsage(nullptr);
      return 1;
    }
    StartUp.quiet = true;
    argv[i][0] = '\0';
  }
  return kGoOn;
}

void RunPreferences() {
  auto words = std::make_unique<StatementWords>();
  words->argc = 1;
  std::strcpy(words->argv[0], Shell.preferencesFile);
  Output.VerboseMask = 0;
  Value result;
  bool loaded = RunScript(false, words->argc, words->argv, &result);
  Output.VerboseMask = CH_ALL;
  if (loaded) OutPrintf(CH_ALL, "User preferences loaded from '%s'.\n\n", Shell.preferencesFile);
}

// Copies the words that are not switches into words. A command line that does not fit the
// argument slots is refused with its message rather than run cut: false.
bool CopyCommandWords(int argc, char** argv, StatementWords* words) {
  for (int i = 1; i < argc; i++) {
    if (argv[i][0] == '\0') continue;  // an emptied switch, wherever it stood
    if (words->argc == kMaxArgs - 1) {
      return OutPrintf(CH_ERR, "ERROR: Too many arguments (max %u).\n", kMaxArgs - 1);
    }
    if (std::strlen(argv[i]) >= kArgSize) {
      return OutPrintf(CH_ERR, "ERROR: Argument longer than %zu characters.\n", kArgSize - 1);
    }
    std::strcpy(words->argv[words->argc], argv[i]);
    words->argc++;
  }
  return true;
}

int RunCommandLine(StatementWords* words) {
  Output.HaltLines = 0;
  Value result;
  return DispatchCommand(words->argc, words->argv, &result) ? 0 : 1;
}

// Prints the prompt and reads a line until one is not empty; false at the end of input.
bool ReadCommandLine(char* line) {
  for (;;) {
    OutPrintf(CH_CMD, "%s", kPrompt);
    if (ReadLine(line, kLineSize, nullptr, true) != nullptr) return true;
    if (ConsoleAtEnd()) return false;
  }
}

void PromptLoop() {
  while (!Shell.QuitRequested) {
    char line[kLineSize] = {};
    Output.LineCount = 0;
    if (!ReadCommandLine(line)) break;  // the end of piped input quits like Q
    bool executed = false;
    ExecuteLine(line, std::strlen(line), &executed);
    if (executed) OutPrintf(CH_CMD, "\n");
  }
}

// Acquires the controller; on failure prints the HAL's reason and gives false. A failure the
// HAL keeps no code for has been reported by whoever found it (the board choice, the transport).
bool AcquireController() {
  BoardRoute route = ChooseBoardRoute();
  route.quiet = StartUp.quiet;
  halSetBoardRoute(route);
  if (qvAcquireController()) return true;
  char reason[80];
  if (qvGetLastError(reason, sizeof reason) != kHalOk) OutPrintf(CH_OUT, "%s\n", reason);
  return false;
}

// The names the line editor completes: every feature of the selected product.
NameIndex FeatureNameIndex;

// Builds the chip model, the completion index of its feature names and the settings that
// depend on the model.
void PrepareChipModel() {
  ChipDef& model = ChipModel();
  InitNameIndex(&FeatureNameIndex);
  const char* key = nullptr;
  for (uint32_t n = 0; model.GetNthFeature(n, &key); n++) {
    if (model.FeatureExists(key)) AddName(&FeatureNameIndex, key);
  }
  SetCompletionIndex(&FeatureNameIndex);
  InitRegisterCommands();
}

// The model works on the chip when there is one; automatic strides start off.
void ConnectChipModel() {
  ChipDef& model = ChipModel();
  model.SetLive(Shell.CardPresent);
  for (const char* autoStride :
       {"main1autostride", "main2autostride", "pip1autostride", "pip2autostride"}) {
    if (model.FeatureExists(autoStride)) model.SetFieldValue(autoStride, 0);
  }
}

}  // namespace

int VornMain(int argc, char** argv) {
  InstallCommandTable(VornCommands);
  InitStringLists();
  InstallTokenHook([](std::string_view token, Value* value, const char** message) {
    return GetToken(token, value, false, message);
  });
  qvClearBreakpoints();
  int code = ApplyLinuxOptions(argc, argv);
  if (code != kGoOn) return code;
  if (!StartUp.quiet) PrintBanner();
  code = ApplySwitches(argc, argv);
  if (code != kGoOn) return code;
  PrepareChipModel();
  if (Shell.CardPresent && !AcquireController()) return 1;
  ConnectChipModel();
  RunPreferences();
  auto words = std::make_unique<StatementWords>();
  if (!CopyCommandWords(argc, argv, words.get())) return 1;
  if (words->argc > 0) return RunCommandLine(words.get());
  PromptLoop();
  return 0;
}
