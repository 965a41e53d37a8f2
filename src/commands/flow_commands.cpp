#include <string>

#include "base/helper.h"
#include "commands/script_commands.h"
#include "interp/dispatch.h"
#include "interp/runner.h"
#include "interp/session.h"
#include "lang/evaluate.h"

namespace {

struct FlowState {
  // The condition of the most recent IF anywhere, read by ELSE.
  Value lastCondition = Value::Number(0);
};
FlowState Flow;

const char* const kIfHelp[] = {
    " IF expression [THEN] statements\n\n",
    " Conditional IF construct.\n",
};
const char* const kElseHelp[] = {
    " ELSE statements\n\n",
    " Contrary condition of the last IF statement.\n",
};
const char* const kWhileHelp[] = {
    " WHILE expression [DO] statements\n\n",
    " Conditional WHILE construct.\n",
};

// The words from index first on, joined with single blanks.
std::string JoinWords(int argc, ArgSlot* argv, int first) {
  std::string text;
  for (int i = first; i < argc; i++) {
    if (i > first) text += ' ';
    text += argv[i];
  }
  return text;
}

// Where the statements start: after the keyword word (THEN, DO) when it is the third word.
int StatementStart(ArgSlot* argv, const char* keyword) {
  return EqualsNoCase(argv[2], keyword) ? 3 : 2;
}

// Evaluates the condition word; prints the caret and message on failure.
bool EvaluateCondition(ArgSlot* argv, Value* condition) {
  const char* message = "";
  int pos = Evaluate(argv[1], condition, &message);
  if (pos == 0) return true;
  return ShowErrorAt(static_cast<int>(ArgColumn(argv, 1)) + pos - 1, "ERROR: %s\n", message);
}

bool RunStatements(const std::string& statements) {
  return ExecuteLine(statements.data(), statements.size(), nullptr);
}

bool CmdIf(int argc, ArgSlot* argv, Value*) {
  if (AsksForHelp(argc, argv)) return ShowCommandHelp(kIfHelp, argv[0]);
  int first = StatementStart(argv, "then");
  if (first >= argc) return OutPrintf(CH_ERR, "ERROR: Improper IF construct.\n");
  Value condition;
  if (!EvaluateCondition(argv, &condition)) return false;  // the last condition stays
  Flow.lastCondition = condition;
  if (!condition.IsTrue()) return true;
  return RunStatements(JoinWords(argc, argv, first));
}

bool CmdElse(int argc, ArgSlot* argv, Value*) {
  if (AsksForHelp(argc, argv)) return ShowCommandHelp(kElseHelp, argv[0]);
  if (argc < 2) return OutPrintf(CH_ERR, "ERROR: Missing statements in ELSE construct.\n");
  if (Flow.lastCondition.IsTrue()) return true;
  return RunStatements(JoinWords(argc, argv, 1));
}

// The loop also ends, with failure, when ESC is pressed at a terminal or the input has ended,
// and quietly once the quit command has run inside it.
bool CmdWhile(int argc, ArgSlot* argv, Value*) {
  if (AsksForHelp(argc, argv)) return ShowCommandHelp(kWhileHelp, argv[0]);
  int first = StatementStart(argv, "do");
  if (first >= argc) return OutPrintf(CH_ERR, "ERROR: Improper WHILE construct.\n");
  const std::string statements = JoinWords(argc, argv, first);
  Value v;
  if (!EvaluateCondition(argv, &v)) return false;
  while (v.IsTrue()) {
    if (!RunStatements(statements)) return false;
    if (Shell.QuitRequested) return true;
    if (EscapeOrEndOfInput()) return OutPrintf(CH_ERR, "ERROR: Loop stopped with ESC.\n");
    const char* message = "";
    if (Evaluate(argv[1], &v, &message) != 0) return OutPrintf(CH_ERR, "ERROR: %s\n", message);
  }
  return true;
}

}  // namespace

const CommandRow kIfRow = {SCRIPT, "if", CmdIf, kAnyBoard,
                           "IF expression [THEN] statements           - Single-line IF statement"};
const CommandRow kElseRow = {
    SCRIPT, "else", CmdElse, kAnyBoard,
    "ELSE statements                           - Tied to the last IF statement"};
const CommandRow kWhileRow = {
    SCRIPT, "while", CmdWhile, kAnyBoard,
    "WHILE expression [DO] statements          - Single-line WHILE statement"};
