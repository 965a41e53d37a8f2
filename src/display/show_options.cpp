#include "display/show_options.h"

#include <cstring>
#include <iterator>
#include <string_view>

#include "base/helper.h"
#include "console/output.h"
#include "display/draw.h"
#include "display/pixel_format.h"
#include "lang/number.h"

namespace {

enum class ValueKind : uint8_t {
  kCount,     // decimal, not 0
  kDecimal,   // decimal
  kColor,     // a DRAW colour
  kRotation,  // 0, 90, 180 or 270
  kFormat,    // a data format 0..4, or 100 + a table index
  kStart,     // an address, hexadecimal
};

struct OptionRow {
  const char* key;  // before ":" or "=", matched without regard to case
  ValueKind kind;
  uint32_t limit;     // decimal values stay below it; 0: no limit
  const char* label;  // the message's "isn't valid for %s"
};

constexpr OptionRow kOptions[] = {
    {"W", ValueKind::kCount, 0, "Width"},
    {"H", ValueKind::kCount, 0, "Height"},
    {"LW", ValueKind::kCount, 0, "LineWidth"},
    {"G", ValueKind::kCount, 0, "GridIncrement"},
    {"D", ValueKind::kCount, 0, "Delay"},
    {"FG", ValueKind::kColor, 0, "Foreground Color"},
    {"BG", ValueKind::kColor, 0, "Background Color"},
    {"GW", ValueKind::kCount, 0, "Grid Width"},
    {"GH", ValueKind::kCount, 0, "Grid Height"},
    {"N", ValueKind::kCount, 0, "Frame Count"},
    {"ST", ValueKind::kCount, 0, "Animation Time"},
    {"SW", ValueKind::kCount, 0, "SW"},
    {"SH", ValueKind::kCount, 0, "SH"},
    {"SO", ValueKind::kCount, 0, "SO"},
    {"ROT", ValueKind::kRotation, 0, "rotation"},
    {"HX", ValueKind::kDecimal, 0, "HX"},
    {"HY", ValueKind::kDecimal, 0, "HY"},
    {"FR", ValueKind::kCount, 0, "Frame Rate"},
    {"VFR", ValueKind::kCount, 16, "VOUT Frame Rate"},
    {"VLD", ValueKind::kDecimal, 1024, "VOUT Line Delay"},
    {"GPIO", ValueKind::kDecimal, 24, "GPIO Pin"},
    {"F", ValueKind::kFormat, 0, "data input format"},
    {"SA", ValueKind::kStart, 0, nullptr},
};
static_assert(std::size(kOptions) == kShowOptionCount, "one row for each ShowOption");

struct KindWord {
  const char* word;
  PatternKind kind;
};
constexpr KindWord kKindWords[] = {
    {"OLD", PatternKind::kOld}, {"FILL", PatternKind::kFill}, {"GRID", PatternKind::kGrid}};

struct FlagWord {
  const char* word;
  bool ShowRequest::*flag;
};
constexpr FlagWord kFlagWords[] = {
    {"MEM", &ShowRequest::memory}, {"ANI", &ShowRequest::animate},   {"FPS", &ShowRequest::fps},
    {"HWC", &ShowRequest::hwc},    {"MIRROR", &ShowRequest::mirror}, {"NAME", &ShowRequest::label},
};

bool InvalidWord() {
  return OutPrintf(CH_ERR, "ERROR: Invalid/missing argument.\n");
}

bool Invalid(const char* word, const OptionRow& row) {
  return OutPrintf(CH_ERR, "ERROR: '%s' isn't valid for %s.\n", word, row.label);
}

// F=: 0 to 4 name the chip's data formats, 100 + i the table's format i.
bool ParseFormat(const char* word, const char* text, const OptionRow& row, ShowRequest* r) {
  uint32_t v = 0;
  if (*text == '\0' || ArgToNum(text, 10, &v) != 0) return Invalid(word, row);
  if (v < kDataTypeCount) {
    r->format = DataTypeFormat(v);
  } else if (v >= 100 && IsValidFormat(static_cast<int>(v - 100))) {
    r->format = static_cast<int>(v - 100);
  } else if (v >= 100) {
    return OutPrintf(CH_ERR, "ERROR: Format isn't valid.\n");
  } else {
    return Invalid(word, row);
  }
  r->value[kShowFormat] = v;
  return true;
}

bool ParseValue(const char* word, ShowOption option, ShowRequest* r) {
  const OptionRow& row = kOptions[option];
  const char* text = std::strpbrk(word, ":=") + 1;
  uint32_t v = 0;
  switch (row.kind) {
    case ValueKind::kColor:
      if (!ParseDrawColor(text, &v)) return Invalid(word, row);
      break;
    case ValueKind::kStart:
      if (*text == '\0') return OutPrintf(CH_ERR, "ERROR: '' isn't a valid start address.\n");
      if (!ParseStart(text, 0, 0, &v)) return false;
      break;
    case ValueKind::kFormat:
      return ParseFormat(word, text, row, r);
    case ValueKind::kRotation:
      if (*text == '\0' || ArgToNum(text, 10, &v) != 0 ||
          (v != 0 && v != 90 && v != 180 && v != 270)) {
        return Invalid(word, row);
      }
      break;
    case ValueKind::kCount:
    case ValueKind::kDecimal:
      if (*text == '\0' || ArgToNum(text, 10, &v) != 0 || (row.limit != 0 && v >= row.limit) ||
          (row.kind == ValueKind::kCount && v == 0)) {
        return Invalid(word, row);
      }
      break;
  }
  r->value[option] = v;
  return true;
}

bool ParseOption(const char* word, ShowRequest* r) {
  std::string_view key(word, std::strcspn(word, ":="));
  for (uint32_t i = 0; i < kShowOptionCount; i++) {
    if (!EqualsNoCase(key, kOptions[i].key)) continue;
    if (!ParseValue(word, static_cast<ShowOption>(i), r)) return false;
    r->given[i] = true;
    return true;
  }
  return InvalidWord();
}

bool ParseWord(const char* word, ShowRequest* r) {
  if (std::strpbrk(word, ":=") != nullptr) return ParseOption(word, r);
  if (const int window = FindDisplayWindow(word); window >= 0) {
    r->window = window;
    return true;
  }
  for (const KindWord& k : kKindWords) {
    if (EqualsNoCase(word, k.word)) {
      r->kind = k.kind;
      return true;
    }
  }
  for (const FlagWord& f : kFlagWords) {
    if (EqualsNoCase(word, f.word)) {
      r->*(f.flag) = true;
      return true;
    }
  }
  if (EqualsNoCase(word, "R")) {
    return OutPrintf(CH_ERR,
                     "ERROR: SHOW doesn't update the start address, offset and LUT registers "
                     "(R); set them with SET.\n");
  }
  return InvalidWord();
}

}  // namespace

bool ParseShowWords(int argc, ArgSlot* argv, ShowRequest* request) {
  for (int i = 1; i < argc; i++) {
    if (!ParseWord(argv[i], request)) return false;
  }
  if (request->given[kShowFrameRate]) request->fps = true;
  return true;
}
