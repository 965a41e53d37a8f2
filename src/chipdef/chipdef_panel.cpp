// The LCD panel settings of the record model: the panel type, the data width and the data format.
// The 77Q41 drives RGB panels only; the 77K50 also drives parallel panels, whose width and colour
// format both live in its parallel data format field (lcdparfmt).
#include <cstdarg>
#include <cstdio>
#include <iterator>

#include "chipdef/chipdef.h"

namespace {

// Bits per transfer of each lcdparfmt field; fields 8 to F are 5.6.5 over 8 bits.
constexpr uint32_t kParallelWidths[] = {8, 8, 16, 8, 24, 16, 16, 18};
constexpr uint32_t kParallelOtherWidth = 8;
// Bits of each rgbdatawidth field.
constexpr uint32_t kRgbWidths[] = {9, 12, 16, 18, 24};

constexpr uint32_t kFirstParallelPanel = 2;  // paneltype field of "Mode 2 (LCD=Parallel)"

bool IsOneOf(uint32_t field, uint32_t low, uint32_t high) {
  return field >= low && field <= high;
}

}  // namespace

bool ChipDef::Refuse(const char* format, ...) {
  char text[256];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  m_Refusal = text;
  return false;
}

bool ChipDef::ParallelPanel() {
  return FeatureExists("paneltype") && FeatureExists("lcdparfmt") &&
         GetFieldValue("paneltype") >= kFirstParallelPanel;
}

uint32_t ChipDef::DataWidth() {
  if (ParallelPanel()) {
    const uint32_t field = GetFieldValue("lcdparfmt");
    return field < std::size(kParallelWidths) ? kParallelWidths[field] : kParallelOtherWidth;
  }
  const uint32_t field = GetFieldValue("rgbdatawidth");
  return field < std::size(kRgbWidths) ? kRgbWidths[field] : 0;
}

bool ChipDef::SetDataWidth(uint32_t bits) {
  if (!ParallelPanel()) {
    for (uint32_t field = 0; field < std::size(kRgbWidths); field++) {
      if (kRgbWidths[field] == bits) return SetFieldValue("rgbdatawidth", field);
    }
    return Refuse("An RGB panel is 9, 12, 16, 18 or 24 bits wide, not %u.", bits);
  }
  // The width picks the format of that width closest to the current one.
  const uint32_t now = GetFieldValue("lcdparfmt");
  uint32_t field = 0;
  switch (bits) {
    case 8:
      field = IsOneOf(now, 2, 4) ? 3 : now == 5 ? 1 : 0;
      break;
    case 16:
      field = now == 1 || now == 5 ? 5 : now == 6 ? 6 : 2;
      break;
    case 18:
      field = 7;
      break;
    case 24:
      field = 4;
      break;
    default:
      return Refuse("A parallel panel is 8, 16, 18 or 24 bits wide, not %u.", bits);
  }
  return SetFieldValue("lcdparfmt", field);
}

bool ChipDef::SetDataFormat(uint32_t entry) {
  if (!FeatureExists("lcdparfmt")) {
    return Refuse("The data format is a parallel panel setting (lcdparfmt), which the %s lacks.",
                  GetProductTitle(TITLE_NAME));
  }
  // The format keeps the current width where the format comes in that width.
  const uint32_t now = GetFieldValue("lcdparfmt");
  uint32_t field = 0;
  switch (entry) {
    case 0:  // 3.3.2
      field = 0;
      break;
    case 1:  // 4.4.4
      field = now >= 2 && now != 3 ? 5 : 1;
      break;
    case 2:  // 5.6.5
      field = 6;
      break;
    case 3:  // 6.6.6
      field = 7;
      break;
    case 4:  // 8.8.8
      field = IsOneOf(now, 2, 4) ? now : now < 2 ? 3 : 2;
      break;
    default:
      return false;
  }
  return SetFieldValue("lcdparfmt", field);
}
