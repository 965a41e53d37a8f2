#include "commands/calc_command.h"

#include "console/output.h"
#include "lang/evaluate.h"

namespace {

struct CalcState {
  Value kept = Value::Number(0);  // the last result, shown again by CALC alone
};
CalcState Calc;

bool PrintResult(const Value& v) {
  if (v.isText) return OutPrintf(CH_OUT, "\"%s\"\n", v.text);
  return OutPrintf(CH_OUT, "%Xh (%ut)\n", v.number, v.number);
}

bool CmdCalc(int argc, ArgSlot* argv, Value* result) {
  if (argc == 2 && argv[1][0] == '?') {
    OutPrintf(CH_OUT, " %s expression\n\n", argv[0]);
    return OutPrintf(CH_OUT, " Built-in calculator.\n");
  }
  if (argc > 2) return OutPrintf(CH_ERR, "ERROR: %s only takes one parameter.\n", argv[0]);
  if (argc == 2) {
    // A failed evaluation keeps the previous result.
    Value v;
    const char* message = "";
    int pos = Evaluate(argv[1], &v, &message);
    if (pos != 0) {
      return ShowErrorAt(static_cast<int>(ArgColumn(argv, 1)) + pos - 1, "ERROR: %s\n", message);
    }
    Calc.kept = v;
  }
  *result = Calc.kept;
  return PrintResult(Calc.kept);
}

}  // namespace

const CommandRow kCalcRow = {ADVANCED, "calc", CmdCalc, kAnyBoard,
                             "CALC expression                           - Built-in calculator"};
