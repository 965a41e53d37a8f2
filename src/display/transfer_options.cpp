#include "display/transfer_options.h"

#include <cstring>
#include <iterator>
#include <string_view>

#include "base/helper.h"
#include "console/output.h"
#include "lang/number.h"

namespace {

enum class OptionKind : uint8_t {
  kOnOff,     // ON or OFF
  kCount,     // decimal, not 0
  kDecimal,   // decimal
  kHex,       // hexadecimal
  kRotation,  // 0, 90, 180 or 270
  kFlag,      // the word alone
};

constexpr uint8_t kDump = static_cast<uint8_t>(TransferCommand::kDump);
constexpr uint8_t kLoad = static_cast<uint8_t>(TransferCommand::kLoad);
constexpr uint8_t kBoth = kDump | kLoad;

struct OptionRow {
  const char* key;  // matched without regard to case, before ":" or "=" (a flag: the whole word)
  OptionKind kind;
  uint32_t TransferOptions::*field;
  uint32_t limit;     // decimal values must stay below it; 0: no limit
  const char* label;  // the message's "isn't valid for %s"; nullptr: "isn't valid."
  uint8_t commands;
};

using O = TransferOptions;
constexpr OptionRow kOptions[] = {
    {"N", OptionKind::kCount, &O::repeat, 0, "nTimes", kBoth},
    {"D", OptionKind::kCount, &O::delay, 0, "Delay", kBoth},
    {"A", OptionKind::kOnOff, &O::all, 0, nullptr, kBoth},
    {"B", OptionKind::kOnOff, &O::burst, 0, nullptr, kBoth},
    {"SW", OptionKind::kCount, &O::rectWidth, 0, "SW", kBoth},
    {"SO", OptionKind::kCount, &O::rectOffset, 0, "SO", kBoth},
    {"SH", OptionKind::kCount, &O::rectHeight, 0, "SH", kLoad},
    {"W", OptionKind::kCount, &O::width, 0, "Width", kDump},
    {"H", OptionKind::kCount, &O::height, 0, "Height", kDump},
    {"F", OptionKind::kDecimal, &O::format, 5, "data input format", kBoth},
    {"O", OptionKind::kHex, &O::offset, 0, "Offset", kLoad},
    {"VN", OptionKind::kOnOff, &O::vndp, 0, nullptr, kLoad},
    {"EOF", OptionKind::kFlag, &O::toEnd, 0, nullptr, kLoad},
    {"HWC", OptionKind::kFlag, &O::hwc, 0, nullptr, kLoad},
    {"ROT", OptionKind::kRotation, &O::rotation, 0, "rotation", kLoad},
    {"MIRROR", OptionKind::kFlag, &O::mirror, 0, nullptr, kLoad},
    {"HX", OptionKind::kDecimal, &O::hwcX, 0, "HX", kLoad},
    {"HY", OptionKind::kDecimal, &O::hwcY, 0, "HY", kLoad},
    {"FRM", OptionKind::kCount, &O::frames, 0, "Frame Count", kLoad},
    {"L", OptionKind::kDecimal, &O::loops, 0, "Loop Count", kLoad},
    {"FPS", OptionKind::kFlag, &O::fps, 0, nullptr, kLoad},
    {"FR", OptionKind::kCount, &O::frameRate, 0, "Frame Rate", kLoad},
    {"VFR", OptionKind::kCount, &O::voutRate, 16, "VOUT Frame Rate", kLoad},
    {"VLD", OptionKind::kDecimal, &O::voutDelay, 1024, "VOUT Line Delay", kLoad},
    {"GPIO", OptionKind::kDecimal, &O::gpio, 24, "GPIO Pin", kLoad},
};
static_assert(std::size(kOptions) <= 64, "one bit of TransferOptions::given per row");

bool Applies(const OptionRow& row, TransferCommand command) {
  return (row.commands & static_cast<uint8_t>(command)) != 0;
}

// The row of the word's key (before ":" or "="), or of the flag word itself.
const OptionRow* FindOption(std::string_view word, TransferCommand command) {
  size_t split = word.find_first_of(":=");
  bool flag = split == std::string_view::npos;
  std::string_view key = flag ? word : word.substr(0, split);
  for (const OptionRow& row : kOptions) {
    bool isFlag = row.kind == OptionKind::kFlag;
    if (isFlag == flag && Applies(row, command) && EqualsNoCase(key, row.key)) return &row;
  }
  return nullptr;
}

bool Invalid(const char* word, const OptionRow& row) {
  if (row.label == nullptr) return OutPrintf(CH_ERR, "ERROR: '%s' isn't valid.\n", word);
  return OutPrintf(CH_ERR, "ERROR: '%s' isn't valid for %s.\n", word, row.label);
}

bool ParseValue(const char* word, const OptionRow& row, uint32_t* value) {
  const char* text = std::strpbrk(word, ":=") + 1;
  uint32_t v = 0;
  switch (row.kind) {
    case OptionKind::kOnOff:
      if (!EqualsNoCase(text, "ON") && !EqualsNoCase(text, "OFF")) return Invalid(word, row);
      *value = EqualsNoCase(text, "ON") ? 1 : 0;
      return true;
    case OptionKind::kHex:
      if (*text == '\0' || ArgToNum(text, 16, &v) != 0) return Invalid(word, row);
      break;
    case OptionKind::kRotation:
      if (*text == '\0' || ArgToNum(text, 10, &v) != 0 ||
          (v != 0 && v != 90 && v != 180 && v != 270)) {
        return Invalid(word, row);
      }
      break;
    default:
      if (*text == '\0' || ArgToNum(text, 10, &v) != 0 || (row.limit != 0 && v >= row.limit) ||
          (row.kind == OptionKind::kCount && v == 0)) {
        return Invalid(word, row);
      }
      break;
  }
  *value = v;
  return true;
}

bool ParseOption(const char* word, TransferCommand command, TransferOptions* o) {
  const OptionRow* row = FindOption(word, command);
  if (row == nullptr) return OutPrintf(CH_ERR, "ERROR: '%s' isn't a valid option.\n", word);
  uint32_t value = 1;
  if (row->kind != OptionKind::kFlag && !ParseValue(word, *row, &value)) return false;
  o->*(row->field) = value;
  o->given |= uint64_t{1} << (row - kOptions);
  return true;
}

// The fifth word is the repeat count when it is a number ("*" for FLOAD: up to the file's end);
// a word with ":" or "=" and a flag word are options wherever they stand.
bool ParseRepeat(const char* word, TransferCommand command, TransferOptions* o) {
  if (std::strpbrk(word, ":=") != nullptr || FindOption(word, command) != nullptr) {
    return ParseOption(word, command, o);
  }
  if (command == TransferCommand::kLoad && std::strcmp(word, "*") == 0) {
    o->repeatToEnd = 1;
    return true;
  }
  uint32_t n = 0;
  if (ArgToNum(word, 10, &n) != 0) return ParseOption(word, command, o);
  if (n == 0) return OutPrintf(CH_ERR, "ERROR: '%s' isn't valid for nTimes.\n", word);
  o->repeat = n;
  return true;
}

}  // namespace

bool ParseTransferWords(int argc, ArgSlot* argv, TransferCommand command, TransferOptions* o) {
  for (int i = 5; i < argc; i++) {
    bool ok = i == 5 ? ParseRepeat(argv[i], command, o) : ParseOption(argv[i], command, o);
    if (!ok) return false;
  }
  return true;
}

bool OptionGiven(const TransferOptions& o, uint32_t TransferOptions::*field) {
  for (size_t i = 0; i < std::size(kOptions); i++) {
    if (kOptions[i].field == field && (o.given >> i & 1)) return true;
  }
  return false;
}
