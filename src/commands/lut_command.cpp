// L: the two colour look-up tables, entry by entry, as a listing, as whole-table operations and
// as an interactive rotation.
#include <array>
#include <cstdio>
#include <cstring>

#include "base/helper.h"
#include "commands/controller_commands.h"
#include "commands/lut_access.h"
#include "console/line_editor.h"
#include "console/output.h"
#include "hal/hal.h"
#include "interp/session.h"
#include "lang/number.h"
#include "platform/console.h"
#include "platform/timing.h"

namespace {

constexpr uint32_t kListEntriesPerLine = 8;
constexpr uint32_t kCycleStepUs = 200000;
constexpr uint32_t kWorkaroundCycleDistance = 8;

// ---- whole-table operations ----

enum class LutAction { kRamp, kZero, kCycle };

struct LutKeyword {
  const char* word;
  LutAction action;
  int component;
  const char* help;
};

constexpr LutKeyword kKeywords[] = {
    {"INIT", LutAction::kRamp, kAllComponents, "Loads the grey ramp: entry i = (i, i, i)"},
    {"INITRED", LutAction::kRamp, kRed, "Sets every red component to its index"},
    {"INITGREEN", LutAction::kRamp, kGreen, "Sets every green component to its index"},
    {"INITBLUE", LutAction::kRamp, kBlue, "Sets every blue component to its index"},
    {"ZERO", LutAction::kZero, kAllComponents, "Sets every component to 0"},
    {"ZERORED", LutAction::kZero, kRed, "Sets every red component to 0"},
    {"ZEROGREEN", LutAction::kZero, kGreen, "Sets every green component to 0"},
    {"ZEROBLUE", LutAction::kZero, kBlue, "Sets every blue component to 0"},
    {"CYCLE", LutAction::kCycle, kAllComponents, "Rotates whole entries with the arrow keys"},
    {"CYCLERED", LutAction::kCycle, kRed, "Rotates the red components only"},
    {"CYCLEGREEN", LutAction::kCycle, kGreen, "Rotates the green components only"},
    {"CYCLEBLUE", LutAction::kCycle, kBlue, "Rotates the blue components only"},
};

const LutKeyword* FindKeyword(const char* word) {
  for (const LutKeyword& keyword : kKeywords) {
    if (EqualsNoCase(word, keyword.word)) return &keyword;
  }
  return nullptr;
}

// Sets one component, or all three, of every entry to its index or to 0.
void SetComponents(const LutTarget& target, LutAction action, int component) {
  LutAccess access(target);
  if (action == LutAction::kRamp && component == kAllComponents) {
    qvLcdSetGammaRamp(target.window);
    return;
  }
  for (uint32_t i = 0; i < kLutSize; i++) {
    Rgb rgb = ReadLutEntry(target, i);
    const uint8_t value = action == LutAction::kRamp ? static_cast<uint8_t>(i) : 0;
    for (int c = kRed; c <= kBlue; c++) {
      if (component == kAllComponents || component == c) rgb.c[c] = value;
    }
    WriteLutEntry(target, i, rgb);
  }
}

// ---- rotation ----

// Moves every value distance entries up (forward) or down, wrapping around the table; only the
// one component, or whole entries.
void RotateTable(const LutTarget& target, int component, bool forward, uint32_t distance) {
  LutAccess access(target);
  std::array<Rgb, kLutSize> table;
  for (uint32_t i = 0; i < kLutSize; i++) table[i] = ReadLutEntry(target, i);
  std::array<uint8_t, kLutSize * 4> moved{};  // red, green, blue and an unused byte each
  for (uint32_t i = 0; i < kLutSize; i++) {
    const uint32_t from = (forward ? i + kLutSize - distance : i + distance) % kLutSize;
    for (int c = kRed; c <= kBlue; c++) {
      const bool moves = component == kAllComponents || component == c;
      moved[i * 4 + c] = (moves ? table[from] : table[i]).c[c];
    }
  }
  qvLcdSetGammaTable(0, moved.data(), kLutSize, target.window);
}

bool IsStepKey(const char* key) {
  return std::strcmp(key, "LEFT") == 0 || std::strcmp(key, "RIGHT") == 0 ||
         std::strcmp(key, "RETURN") == 0;
}

// Right and left step once each way; Return keeps stepping the last way until a key is pressed.
// Any other key (ESC, also the end of the input) ends the rotation.
bool Cycle(const LutTarget& target, int component) {
  OutPrintf(CH_OUT,
            "Programming LUT...\nPress right arrow to step forward, left arrow to step "
            "backward,\nReturn to continue and other keys to exit\n");
  ConsoleFlush();
  const uint32_t distance =
      component == kAllComponents && Shell.WorkaroundMode ? kWorkaroundCycleDistance : 1;
  bool forward = true;
  char key[kKeyNameSize];
  for (ReadKeyName(key); IsStepKey(key); ReadKeyName(key)) {
    const bool repeat = std::strcmp(key, "RETURN") == 0;
    if (!repeat) forward = std::strcmp(key, "RIGHT") == 0;
    do {
      RotateTable(target, component, forward, distance);
      DelayMicroseconds(kCycleStepUs);
    } while (repeat && !ConsoleKeyPending());
  }
  return true;
}

bool RunKeyword(const LutTarget& target, const LutKeyword& keyword) {
  if (keyword.action == LutAction::kCycle) return Cycle(target, keyword.component);
  SetComponents(target, keyword.action, keyword.component);
  return true;
}

// ---- single entries and the listing ----

bool ListTable(const LutTarget& target) {
  LutAccess access(target);
  for (uint32_t i = 0; i < kLutSize; i++) {
    if (i % kListEntriesPerLine == 0 && !OutPrintf(CH_SET, "\nL%d[%02X]", target.number, i)) {
      return false;
    }
    const Rgb rgb = ReadLutEntry(target, i);
    if (!OutPrintf(CH_SET, "  %02X%02X%02X", rgb.c[kRed], rgb.c[kGreen], rgb.c[kBlue])) {
      return false;
    }
  }
  return OutPrintf(CH_SET, "\n");
}

bool ShowEntry(const LutTarget& target, uint32_t index, char direction, const Rgb& rgb) {
  return OutPrintf(CH_SET, "       L%d[%02X] %c %02X  %02X  %02X\n", target.number, index,
                   direction, rgb.c[kRed], rgb.c[kGreen], rgb.c[kBlue]);
}

bool ReadOne(const LutTarget& target, uint32_t index) {
  Rgb rgb;
  {
    LutAccess access(target);
    rgb = ReadLutEntry(target, index);
  }
  return ShowEntry(target, index, '>', rgb);
}

// Writes red, green and blue; a "." keeps the component the entry has.
bool WriteOne(const LutTarget& target, uint32_t index, ArgSlot* components) {
  uint32_t values[3] = {};
  bool keepAny = false;
  for (int c = kRed; c <= kBlue; c++) {
    if (std::strcmp(components[c], ".") == 0) {
      keepAny = true;
    } else if (ArgToNum(components[c], 16, &values[c]) != 0) {
      return OutPrintf(CH_ERR, "ERROR: Invalid color parameters for L command.\n");
    }
  }
  Rgb rgb = {};
  {
    LutAccess access(target);
    if (keepAny) rgb = ReadLutEntry(target, index);
    for (int c = kRed; c <= kBlue; c++) {
      if (std::strcmp(components[c], ".") != 0) rgb.c[c] = static_cast<uint8_t>(values[c]);
    }
    WriteLutEntry(target, index, rgb);
  }
  return ShowEntry(target, index, '<', rgb);
}

// ---- the command ----

bool ShowLutHelp() {
  OutPrintf(CH_OUT, " L[1|2][A] Index [Red Green Blue] [INIT|ZERO|CYCLE[RED|GREEN|BLUE]]\n");
  OutPrintf(CH_OUT, " 1|2        - LUT1 (the LCD-LUT) or LUT2 (the PIP2-LUT).\n");
  OutPrintf(CH_OUT, " A          - Lists the whole LUT, eight entries to a line.\n");
  OutPrintf(CH_OUT, " Index      - Entry to read or write, 0 to FF (hexadecimal).\n");
  OutPrintf(CH_OUT, " Red Green Blue - Components to write (hexadecimal); . keeps one.\n");
  for (const LutKeyword& keyword : kKeywords) {
    OutPrintf(CH_OUT, " %-10s - %s.\n", keyword.word, keyword.help);
  }
  static const char* const kExamples[][2] = {
      {"L1 0C", "Read LUT entry 0Ch"},
      {"L1 0C FF FF FF", "Write white to LUT entry 0Ch"},
      {"L1 0C . 34 .", "Write LUT G component at 0Ch"},
      {"L2A", "List the whole PIP2-LUT"},
      {"L1 INIT", "Load the grey ramp into the LCD-LUT"},
      {"L2 ZEROBLUE", "Clear every blue component of the PIP2-LUT"},
      {"L1 CYCLE", "Rotate the LCD-LUT with the arrow keys"},
  };
  OutPrintf(CH_OUT, " Examples:\n");
  for (const auto& example : kExamples) {
    OutPrintf(CH_OUT, "   %-42s' %s\n", example[0], example[1]);
  }
  return OutPrintf(CH_OUT,
                   " Unless the LUT is bypassed, the LCD port is switched off for each access\n"
                   " and switched back afterwards, so the display glitches.\n");
}

bool CmdLut(int argc, ArgSlot* argv, Value*) {
  if (argv[1][0] == '?') return ShowLutHelp();
  const char* word = argv[0];
  const LutTarget target = LutTargetOf(word[1] == '2' ? 2 : 1);
  if (!target.bypassed) {
    OutPrintf(CH_OUT,
              "Warning: Display glitch will occur when the LUT is disabled for reg "
              "access.\n\n");
  }
  const bool listing = std::strcmp(word, "l1a") == 0 || std::strcmp(word, "l2a") == 0;
  if (listing && argc == 1) return ListTable(target);
  if (std::strcmp(word, "l1") != 0 && std::strcmp(word, "l2") != 0) {
    return OutPrintf(CH_ERR, "ERROR: A LUT wasn't specified (1 or 2?).\n");
  }
  if (argc == 1) return OutPrintf(CH_ERR, "L command requires index.\n");
  if (const LutKeyword* keyword = FindKeyword(argv[1])) return RunKeyword(target, *keyword);
  uint32_t index = 0;
  if (ArgToNum(argv[1], 16, &index) != 0) {
    return OutPrintf(CH_ERR, "ERROR: Invalid parameter for L command.\n");
  }
  if (index >= kLutSize) {
    return OutPrintf(CH_ERR, "ERROR: LUT index is greater than %02X.\n", kLutSize - 1);
  }
  if (argc == 2) return ReadOne(target, index);
  if (argc < 5) {
    return OutPrintf(CH_ERR,
                     "ERROR: Require all three arguments (red green blue) for L command.\n");
  }
  if (argc > 5) return OutPrintf(CH_ERR, "ERROR: Too many arguments.\n");
  return WriteOne(target, index, argv + 2);
}

}  // namespace

// clang-format off
const CommandRow kLutRow = {ADVANCED, "l;l1;l2;l1a;l2a", CmdLut, kNeedsCard,
                          "L[1|2][A] index [[red green blue]|[data]] - Programs the Look-Up Tables"};
// clang-format on
