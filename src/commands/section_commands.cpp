#include <cstring>

#include "commands/script_commands.h"
#include "interp/runner.h"
#include "lang/evaluate.h"

namespace {

const char* const kSectionHelp[] = {
    " %s sectionname\n\n",
    " Marks current location with the given sectionname.\n",
};

const char* const kGotoHelp[] = {
    " %s sectionname|expression\n\n",
    " %s foo                                    - Goes to a section named \"foo\"\n",
    " %s $var                                   - Goes to the section named in $var\n\n",
    " Goes to the location marked with sectionname.\n",
};

// Sections are found by the runner's scan when the script starts; the command only checks its
// word.
bool CmdSection(int argc, ArgSlot* argv, Value*) {
  if (AsksForHelp(argc, argv)) return ShowCommandHelp(kSectionHelp, argv[0]);
  if (argc != 2) return OutPrintf(CH_ERR, "ERROR: Invalid number of arguments.\n");
  if (std::strlen(argv[1]) >= kSectionNameSize) {
    return OutPrintf(CH_ERR, "ERROR: Section name must not exceed %d characters.\n",
                     static_cast<int>(kSectionNameSize));
  }
  return true;
}

bool CmdGoto(int argc, ArgSlot* argv, Value*) {
  if (AsksForHelp(argc, argv)) return ShowCommandHelp(kGotoHelp, argv[0]);
  if (argc != 2) return OutPrintf(CH_ERR, "ERROR: Incorrect number of arguments.\n");
  if (!ScriptIsRunning() || GotoSection(argv[1])) return true;
  Value v;
  const char* message = nullptr;
  if (Evaluate(argv[1], &v, &message) != 0) {
    return OutPrintf(CH_ERR, "ERROR: '%s' section not found.\n", argv[1]);
  }
  if (!v.isText) {
    return OutPrintf(CH_ERR,
                     "ERROR: The value for a section name must be a text value, not numerical "
                     "('%s'==%Xh).\n",
                     argv[1], v.number);
  }
  if (GotoSection(v.text)) return true;
  return OutPrintf(CH_ERR, "ERROR: No section named '%s' (nor it's value: '%s') were found.\n",
                   argv[1], v.text);
}

}  // namespace

const CommandRow kGotoRow = {
    SCRIPT, "goto", CmdGoto, kAnyBoard,
    "GOTO sectionname                          - Jumps execution to section"};
const CommandRow kSectionRow = {
    SCRIPT, "section", CmdSection, kAnyBoard,
    "SECTION sectionname                       - Defines start of a section"};
