// Commands that show and check the controller's mode: M (the overview), MM (the memory map),
// PLL (show or set the PLL output) and DIAGNOSE (the settings against the chip's rules).
#include <string>

#include "base/frequency.h"
#include "chipdef/chipdef.h"
#include "commands/controller_commands.h"
#include "console/output.h"
#include "lang/evaluate.h"

namespace {

// The report DIAGNOSE fills: the chip's rules first, then the reserved settings and bits.
constexpr size_t kDiagnoseReportSize = 4096;
// The CLKI the PLL is made for.
constexpr uint32_t kPllClki = 32768;
// A bare PLL frequency is in MHz.
constexpr uint32_t kMegahertz = 1000000;

bool BriefHelp(const char* word, const char* line) {
  OutPrintf(CH_OUT, " %s\n\n", word);
  return OutPrintf(CH_OUT, "%s", line);
}

// ---- M ----

// No help of its own: a "?" shows the mode like anything else.
bool CmdMode(int, ArgSlot*, Value*) {
  if (!OutPrintf(CH_OUT, "\n")) return false;
  return OutText(CH_OUT, ChipModel().ShowConfiguration(" "));
}

// ---- MM ----

bool CmdMemoryMap(int argc, ArgSlot* argv, Value*) {
  if (argv[1][0] == '?') return BriefHelp(argv[0], " Shows memory map layout.\n");
  if (argc > 1) return OutPrintf(CH_ERR, "ERROR: Too many arguments.\n");
  const char* name = nullptr;
  uint32_t start = 0, end = 0;
  for (uint32_t n = 0; ChipModel().GetMemoryMapEntry(1, n, &name, &start, &end); n++) {
    const bool shown = end != 0 ? OutPrintf(CH_OUT, "%08Xh-%08Xh %s\n", start, end, name)
                                : OutPrintf(CH_OUT, "%08Xh           %s\n", start, name);
    if (!shown) return false;  // left at the pager
  }
  return true;
}

// ---- PLL ----

bool ShowPllHelp(const char* word) {
  OutPrintf(CH_OUT, " %s [Freq]\n", word);
  OutPrintf(CH_OUT, " %s 40.034                                = Sets PLL to 40.034 MHz\n", word);
  OutPrintf(CH_OUT, " %s 40KHz                                 = Sets PLL to 40 KHz\n", word);
  OutPrintf(CH_OUT, " %s $var                                  = Where $var=50t\n", word);
  OutPrintf(CH_OUT, " Shows [or sets] the PLL output frequency; a bare number is in MHz.\n");
  return OutPrintf(CH_OUT,
                   " The PLL steps by CLKI / M-divider; a frequency between steps is "
                   "rounded down.\n");
}

bool IsDecimalDigits(const char* text) {
  if (*text == '\0') return false;
  for (; *text != '\0'; text++) {
    if (*text < '0' || *text > '9') return false;
  }
  return true;
}

// The text of the PLL's argument: plain digits as they stand, else what an expression gives
// (a number in decimal), else the argument itself ("40KHz").
std::string FrequencyText(const char* argument) {
  if (IsDecimalDigits(argument)) return argument;
  Value v;
  const char* message = "";
  if (Evaluate(argument, &v, &message) != 0) return argument;
  return v.isText ? std::string(v.text) : std::to_string(v.number);
}

bool CmdPll(int argc, ArgSlot* argv, Value*) {
  if (argv[1][0] == '?') return ShowPllHelp(argv[0]);
  if (argc >= 3) return OutPrintf(CH_ERR, "ERROR: Invalid/missing argument.\n");
  ChipDef& model = ChipModel();
  if (argc == 2) {
    const std::string text = FrequencyText(argv[1]);
    uint32_t hz = 0;
    if (!StrToFreq(text, kMegahertz, &hz)) {
      return OutPrintf(CH_ERR, "ERROR: \"%s\" is not a frequency (NN.NNN Hz, KHz or MHz).\n",
                       text.c_str());
    }
    model.ClearRefusal();
    if (!model.SetFieldValue("pllclk", hz)) {
      const std::string why =
          model.Refusal().empty() ? "The PLL could not be set." : model.Refusal();
      model.ClearRefusal();
      return OutPrintf(CH_ERR, "ERROR: %s\n", why.c_str());
    }
  }
  if (!OutPrintf(CH_SET, "PLL = %s\n", FreqToStr(model.GetFieldValue("pllclk")))) return false;
  if (model.GetFieldValue("clki") != kPllClki) {
    OutPrintf(CH_OUT, "WARNING: CLKI is not configured to 32.768 kHz for PLL.\n");
  }
  return true;
}

// ---- DIAGNOSE ----

bool CmdDiagnose(int argc, ArgSlot* argv, Value*) {
  if (argv[1][0] == '?') return BriefHelp(argv[0], " Diagnose using spec restrictions.\n");
  if (argc > 1) return OutPrintf(CH_ERR, "ERROR: This command doesn't support any arguments.\n");
  ChipDef& model = ChipModel();
  char report[kDiagnoseReportSize];
  size_t length = model.Diagnose(report, sizeof report);
  length += model.DiagnoseReserved(report + length, sizeof report - length);
  if (length == 0) return OutPrintf(CH_OUT, "No problems detected.\n");
  return OutText(CH_OUT, std::string_view(report, length));
}

}  // namespace

// clang-format off
const CommandRow kModeRow = {BASIC, "m", CmdMode, kAnyBoard,
                          "M                                         - Shows current Mode info"};
const CommandRow kMemoryMapRow = {BASIC, "mm", CmdMemoryMap, kAnyBoard,
                          "MM                                        - Shows memory map layout"};
const CommandRow kDiagnoseRow = {ADVANCED, "diagnose;diagn", CmdDiagnose, kAnyBoard,
                          "DIAGNOSE                                  - Diagnose using spec restrictions"};
const CommandRow kPllRow = {ADVANCED, "pll", CmdPll, kNeedsCard,
                          "PLL [freq]                                - Sets PLL (freq=xx.xxx MHz)"};
// clang-format on
