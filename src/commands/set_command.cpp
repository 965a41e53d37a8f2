#include "commands/set_command.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "console/output.h"
#include "interp/runner.h"
#include "interp/session.h"
#include "lang/chip_tokens.h"
#include "lang/evaluate.h"
#include "lang/number.h"
#include "lang/tokens.h"
#include "lang/variables.h"

namespace {

bool ShowHelp(const char* name) {
  static const char* const kNamedLines[] = {
      " %s token    [expression]\n",
      " %s 28       14                          = Sets REG[28] to 14h\n",
      " %s 28       .                           = Prompts user for value\n",
      " %s reg[28]  35                          = Sets REG[28] to 35h\n",
      " %s hdp      320t                        = Sets HDP feature to 320 (dec)\n",
      " %s clki     \"27.000 MHz\"                = Sets CLKI feature's frequency\n",
      " %s $MyVar   42                          = Sets/creates local variable\n",
      " %s $$Foo    38t                         = Sets/creates global variable\n",
  };
  for (const char* line : kNamedLines) OutPrintf(CH_OUT, line, name);
  OutPrintf(CH_OUT, " Set [or view] tokens.\n");
  OutPrintf(CH_OUT, " token      - Registers, features (bitfields), $variables, $$globals.\n");
  return OutPrintf(CH_OUT, " expression - Value to write to token or period (.) to prompt user.\n");
}

bool ShowVariable(const char* name, const Value& v) {
  if (v.isText) return OutPrintf(CH_SET, "%s = \"%s\"\n", name, v.text);
  return OutPrintf(CH_SET, "%s = %Xh (%ut)\n", name, v.number, v.number);
}

bool ListVariables() {
  const char* scope = ScriptScope();
  const Variable* v = GetNthVariable(0, scope);
  if (v == nullptr) return OutPrintf(CH_OUT, "No user variables were found.\n");
  for (size_t n = 1; v != nullptr; v = GetNthVariable(n++, scope)) {
    if (!ShowVariable(v->name.c_str(), v->value)) return false;  // the output was cancelled
  }
  return true;
}

bool ShowError(ArgSlot* argv, int word, int pos, const char* message) {
  return ShowErrorAt(static_cast<int>(ArgColumn(argv, word)) + pos - 1, "ERROR: %s\n", message);
}

// Evaluates the expression word in the current scope; prints the caret and message on failure.
bool EvaluateExpression(ArgSlot* argv, Value* v) {
  const char* message = "";
  int pos = Evaluate(argv[2], v, &message);
  return pos == 0 || ShowError(argv, 2, pos, message);
}

bool SetOrShowVariable(int argc, ArgSlot* argv, Value* result) {
  Value v;
  if (argc == 2) {
    if (!GetVariable(argv[1], &v, ScriptScope())) {
      return OutPrintf(CH_ERR, "ERROR: Variable does not exist.\n");
    }
  } else {
    if (!EvaluateExpression(argv, &v)) return false;
    if (!SetVariable(argv[1], v, ScriptScope())) {
      return OutPrintf(CH_ERR,
                       "ERROR: Failed to create user variable; exceeded maximum number of "
                       "variables.\n");
    }
  }
  *result = v;
  return ShowVariable(argv[1], v);
}

// A plain number literal stands for the register of that index: "SET 28 14" writes REG[0028h].
// False when the literal is wider than 32 bits.
bool RegisterShorthand(const char* token, std::string* out) {
  int radix = 0;
  *out = token;
  if (token[0] == '\0' || !GetNumberRadix(token, DefaultRadix, &radix)) return true;
  uint32_t index = 0;
  if (!StrToNumFits(token, radix, &index)) return false;
  char text[32];
  std::snprintf(text, sizeof text, "REG[%0*Xh]", RegisterIndexDigits(), index);
  *out = text;
  return true;
}

bool SetOrShowToken(int argc, ArgSlot* argv, Value* result) {
  bool show = ChannelShown(CH_SET);
  std::string token;
  if (!RegisterShorthand(argv[1], &token)) return ShowError(argv, 1, 1, kNumberTooWide);
  const int lengthChange = static_cast<int>(token.size()) - static_cast<int>(std::strlen(argv[1]));
  Value v;
  const char* message = "";
  int pos = 0;
  if (argc == 2) {
    pos = GetToken(token, &v, show, &message);
  } else if (std::strcmp(argv[2], ".") == 0) {
    pos = PromptToken(token, &message);
  } else {
    if (!EvaluateExpression(argv, &v)) return false;
    pos = SetToken(token, v, show, &message);
  }
  if (pos < 0) return false;  // the prompt has reported it
  if (pos != 0) return ShowError(argv, 1, std::max(1, pos - lengthChange), message);
  *result = v;
  return true;
}

bool CmdSet(int argc, ArgSlot* argv, Value* result) {
  if (argc == 2 && argv[1][0] == '?') return ShowHelp(argv[0]);
  if (argc == 1) return ListVariables();
  if (argc >= 4) return OutPrintf(CH_ERR, "ERROR: Too many arguments.\n");
  if (argv[1][0] == '$') return SetOrShowVariable(argc, argv, result);
  return SetOrShowToken(argc, argv, result);
}

}  // namespace

const CommandRow kSetRow = {
    BASIC, "set", CmdSet, kAnyBoard,
    "SET [token [expression]]                  - Sets register, feature, $variable"};
