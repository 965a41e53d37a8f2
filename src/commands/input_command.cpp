#include <string_view>

#include "base/helper.h"
#include "commands/script_commands.h"
#include "console/line_editor.h"
#include "platform/console.h"

namespace {

const char* const kInputHelp[] = {
    " %s LINE|KEY|PEEK\n",
    " %s PEEK\n\n",
    " $var = %s PEEK\n",
    " $var = %s LINE\n",
    " Gets user keyboard input. KEY waits for only one keystroke, where LINE will\n",
    " cause this command to wait until the user types the Enter key. PEEK is\n",
    " similar to KEY, but returns immediately (with $var=) if user had not\n",
    " hit any key. If user did hit a key, then $var will contain that value.\n",
};

constexpr size_t kInputLineSize = 256;

bool Is(std::string_view word, std::string_view name) {
  return word.size() == name.size() && NameCompare(word, name, name.size()) == 0;
}

bool CmdInput(int argc, ArgSlot* argv, Value* result) {
  if (AsksForHelp(argc, argv)) return ShowCommandHelp(kInputHelp, argv[0]);
  if (argc < 2) return OutPrintf(CH_ERR, "ERROR: Not enough arguments.\n");
  if (argc > 2) return OutPrintf(CH_ERR, "ERROR: Too many arguments.\n");
  if (Is(argv[1], "key") || (Is(argv[1], "peek") && ConsoleKeyPending())) {
    char name[kKeyNameSize] = {};
    ReadKeyName(name);
    result->SetText(name);
  } else if (Is(argv[1], "peek")) {
    result->SetText("");
  } else if (Is(argv[1], "line")) {
    char line[kInputLineSize] = {};
    bool refused = false;
    const char* read = ReadLine(line, sizeof line, nullptr, false, &refused);
    if (refused) return false;
    result->SetText(read != nullptr ? read : "");
  } else {
    return ShowErrorAt(static_cast<int>(ArgColumn(argv, 1)), "ERROR: Invalid argument.\n");
  }
  return true;
}

}  // namespace

const CommandRow kInputRow = {
    SCRIPT, "input", CmdInput, kAnyBoard,
    "INPUT LINE|KEY|PEEK                       - Returns user keyboard input"};
