#include "base/frequency.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "base/helper.h"
#include "base/string_list.h"

namespace {

constexpr uint64_t kMaxHz = UINT32_MAX;

// The multiplier a unit names ("Hz", "KHz", "MHz", "GHz" in any case), the default for no unit;
// false for anything else, which must not pass for the default.
bool UnitMultiplier(std::string_view unit, uint32_t defaultMultiplier, uint32_t* multiplier) {
  constexpr struct {
    const char* name;
    uint32_t multiplier;
  } kUnits[] = {{"", 0}, {"hz", 1}, {"khz", 1000}, {"mhz", 1000000}, {"ghz", 1000000000}};
  for (const auto& u : kUnits) {
    if (!EqualsNoCase(unit, u.name)) continue;
    *multiplier = u.multiplier != 0 ? u.multiplier : defaultMultiplier;
    return true;
  }
  return false;
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

bool StrToFreq(std::string_view text, uint32_t defaultMultiplier, uint32_t* hz) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') i++;
  bool digits = false;
  uint64_t whole = 0;
  for (; i < text.size() && IsDecimalDigit(text[i]); i++) {
    // Past the largest frequency further digits change nothing: keep it from wrapping.
    if (whole <= kMaxHz) whole = whole * 10 + static_cast<uint32_t>(text[i] - '0');
    digits = true;
  }
  uint64_t thousandths = 0;
  if (i < text.size() && text[i] == '.') {
    uint32_t scale = 100;
    for (i++; i < text.size() && IsDecimalDigit(text[i]); i++) {
      thousandths += scale * static_cast<uint32_t>(text[i] - '0');
      scale /= 10;
      digits = true;
    }
  }
  if (!digits) return false;
  while (i < text.size() && text[i] == ' ') i++;
  size_t end = text.size();
  while (end > i && text[end - 1] == ' ') end--;
  uint32_t multiplier = 0;
  if (!UnitMultiplier(text.substr(i, end - i), defaultMultiplier, &multiplier)) return false;
  uint64_t total = std::min(whole, kMaxHz + 1) * multiplier;
  if (multiplier >= 1000) total += thousandths * (multiplier / 1000);
  *hz = static_cast<uint32_t>(std::min(total, kMaxHz));
  return true;
}
