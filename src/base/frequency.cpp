#include "base/frequency.h"

#include <cctype>
#include <cstdio>

#include "base/string_list.h"

namespace {

bool IsLetter(std::string_view text, size_t i, char lower) {
  return i < text.size() && std::tolower(static_cast<unsigned char>(text[i])) == lower;
}

// The multiplier a unit text names ("Hz", "KHz", "MHz" in any case), or the default.
uint32_t UnitMultiplier(std::string_view unit, uint32_t defaultMultiplier) {
  if (IsLetter(unit, 0, 'h') && IsLetter(unit, 1, 'z')) return 1;
  if (IsLetter(unit, 0, 'k') && IsLetter(unit, 1, 'h')) return 1000;
  if (IsLetter(unit, 0, 'm') && IsLetter(unit, 1, 'h')) return 1000000;
  return defaultMultiplier;
}

}  // namespace

const char* FreqToStr(uint32_t hz) {
  char* out = GetStr(nullptr);
  size_t size = GetStrSize(nullptr, out);
  if (hz > 100000) {
    std::snprintf(out, size, "%u.%03u MHz", hz / 1000000, (hz / 1000) % 1000);
  } else if (hz > 1000) {
    std::snprintf(out, size, "%u.%03u KHz", hz / 1000, hz % 1000);
  } else {
    std::snprintf(out, size, "%u Hz", hz);
  }
  return out;
}

uint32_t StrToFreq(std::string_view text, uint32_t defaultMultiplier) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') i++;
  uint32_t whole = 0;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); i++) {
    whole = whole * 10 + static_cast<uint32_t>(text[i] - '0');
  }
  uint32_t thousandths = 0;
  if (i < text.size() && text[i] == '.') {
    uint32_t scale = 100;
    for (i++; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); i++) {
      thousandths += scale * static_cast<uint32_t>(text[i] - '0');
      scale /= 10;
    }
  }
  if (i < text.size() && text[i] == ' ') i++;
  uint32_t multiplier = UnitMultiplier(text.substr(i), defaultMultiplier);
  uint32_t hz = whole * multiplier;
  if (multiplier >= 2) hz += thousandths * (multiplier / 1000);
  return hz;
}
