#include <string>

#include "base/helper.h"
#include "commands/script_commands.h"
#include "lang/evaluate.h"

namespace {

const char* const kPrintHelp[] = {
    " %s \"Hello world\\n\"                     = \"Hello world\" (linewrap)\n",
    " %s $usertext                           = \"hi mom\"\n",
    " %s $var.s                              = \"4\"\n",
    " %s $var.s10                            = \"0000000004\"\n",
    " %s 3c.s                                = \"3C\"\n",
    " %s 3c.st                               = \"60\"\n",
    " %s 3c.sh4                              = \"  3C\"\n",
    " %s 3c.sh04                             = \"003C\"\n",
    " %s REG[0104h].sh4 \"h\"                  = \"1234h\"\n",
    " %s \"coords=\" $x.st \",\" $y.st \"\\n\"      = \"coords=4,6\" (linewrap)\n",
    " %s \"coords={$x.st},{$y.st}\\n\"          = \"coords=4,6\" (linewrap)\n\n",
    " Prints a message, text token, or any expression that evaluates to text.\n",
    " Use \"\\n\" to wrap to the next line. Any valid expression within {braces}\n",
    " will be processed and substituted by the results.\n",
};

bool FailAt(ArgSlot* argv, int word, int pos, const char* message) {
  OutPrintf(CH_OUT, "\n");
  return ShowErrorAt(static_cast<int>(ArgColumn(argv, word)) + pos - 1, "\nERROR: %s\n", message);
}

bool CmdPrint(int argc, ArgSlot* argv, Value*) {
  if (AsksForHelp(argc, argv)) return ShowCommandHelp(kPrintHelp, argv[0]);
  for (int i = 1; i < argc; i++) {
    Value v;
    const char* message = "";
    int pos = Evaluate(argv[i], &v, &message);
    if (pos != 0) return FailAt(argv, i, pos, message);
    if (!v.isText) return FailAt(argv, i, 1, "Expected a text expression here (not numerical).");
    size_t length = TranslateEscapes(v.text);
    if (!OutPrintf(CH_OUT, "%.*s", static_cast<int>(length), v.text)) return false;
  }
  return true;
}

}  // namespace

const CommandRow kPrintRow = {
    SCRIPT, "print", CmdPrint, kAnyBoard,
    "PRINT \"message\"|token|expression [..]     - Prints multiple messages|tokens"};
