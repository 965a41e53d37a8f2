#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "commands/script_commands.h"
#include "lang/evaluate.h"
#include "platform/console.h"

namespace {

const char* const kShellHelp[] = {
    " [$retval =] %s\n",
    " [$retval =] %s \"command-line\"\n",
    " [$retval =] %s \"command\" [\"arg1\"] [\"arg2\"] [..]\n\n",
    " %s\n",
    " %s \"dir\"\n",
    " %s \"dir /b \"+$filemask\n",
    " %s \"dir\" \"/b\" $filemask\n",
    " $ProgErrorCode = %s \"prog /x /y /z\"\n\n",
    "Start a command line shell, or execute one command line and return to VORN.\n",
    "To get the return value of the executable, place a user variable after\n",
    "the expression.\n",
};

// The exit code of a command run by system(): its exit status, 128 and the signal number when
// a signal ended it, or FFFFFFFFh when it could not be started.
uint32_t ExitCode(int status) {
  if (status == -1) return 0xFFFFFFFF;
  if (WIFEXITED(status)) return static_cast<uint32_t>(WEXITSTATUS(status));
  if (WIFSIGNALED(status)) return 128u + static_cast<uint32_t>(WTERMSIG(status));
  return 0xFFFFFFFF;
}

// Runs the command with the terminal in its ordinary mode; raw mode returns at the next key read.
uint32_t RunCommand(const std::string& command) {
  ConsoleFlush();
  ConsoleRestoreTerminal();
  return ExitCode(std::system(command.c_str()));
}

// The interactive shell: the engineer's $SHELL, else /bin/sh.
uint32_t RunInteractiveShell() {
  OutPrintf(CH_OUT, "Starting command line shell.\n");
  OutPrintf(CH_OUT, "To return to VORN, type:  EXIT <ENTER>\n");
  const char* shell = std::getenv("SHELL");
  std::string command = shell != nullptr && shell[0] != '\0' ? shell : "/bin/sh";
  return RunCommand("'" + command + "'");
}

// The words evaluated and joined with single blanks; prints the caret and message on failure.
bool JoinedCommand(int argc, ArgSlot* argv, std::string* command) {
  for (int i = 1; i < argc; i++) {
    Value v;
    const char* message = "";
    int pos = Evaluate(argv[i], &v, &message);
    int column = static_cast<int>(ArgColumn(argv, i));
    if (pos != 0) return ShowErrorAt(column + pos - 1, "ERROR: %s\n", message);
    if (!v.isText) {
      return ShowErrorAt(column, "ERROR: All SHELL arguments must be text (not numbers).\n");
    }
    if (i > 1) *command += ' ';
    *command += v.text;
  }
  return true;
}

bool CmdShell(int argc, ArgSlot* argv, Value* result) {
  if (AsksForHelp(argc, argv)) return ShowCommandHelp(kShellHelp, argv[0]);
  if (argc == 1) {
    result->SetNumber(RunInteractiveShell());
    return true;
  }
  std::string command;
  if (!JoinedCommand(argc, argv, &command)) return false;
  result->SetNumber(RunCommand(command));
  return true;
}

}  // namespace

const CommandRow kShellRow = {
    SCRIPT, "shell", CmdShell, kAnyBoard,
    "SHELL [\"command\" [\"args\"] [..]]           - Start system command shell"};
