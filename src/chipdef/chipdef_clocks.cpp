// The clock features of the chip model: CLKI from the configuration record, the PLL output from
// the L-counter and M-divider, and the clocks divided down from it. Frequencies are in Hz.
#include <algorithm>
#include <cstdint>
#include <string_view>

#include "base/frequency.h"
#include "chipdef/chipdef.h"
#include "chipdef/clock_rows.h"

namespace {

// What the chip accepts on CLKI and allows the PLL to put out.
constexpr uint32_t kClkiMin = 390000;
constexpr uint32_t kClockMax = 120000000;

// The clocks with limits of their own; the others keep the document's.
constexpr struct {
  const char* key;
  uint32_t min, max;
} kOwnLimits[] = {{"clki", kClkiMin, kClockMax}, {"pllclk", 0, kClockMax}};

const ClockRow* FindClock(std::string_view key) {
  for (const ClockRow& row : kClockRows) {
    if (key == row.key) return &row;
  }
  return nullptr;
}

uint32_t Saturated(uint64_t hz) {
  return static_cast<uint32_t>(std::min<uint64_t>(hz, UINT32_MAX));
}

}  // namespace

bool ChipDef::OwnClockLimits(std::string_view key, uint32_t* min, uint32_t* max) {
  for (const auto& own : kOwnLimits) {
    if (key != own.key) continue;
    *min = own.min;
    *max = own.max;
    return true;
  }
  return false;
}

uint32_t ChipDef::PllReference() {
  const uint32_t divider = GetValue("mdivider");
  return divider == 0 ? 0 : m_Record->clki / divider;
}

uint32_t ChipDef::ClockHz(std::string_view key) {
  if (key == "clki") return m_Record->clki;
  if (key == "pllclk") {
    // Integer division first: the PLL multiplies the divided reference.
    return Saturated(uint64_t{PllReference()} * (uint64_t{GetValue("lcounter")} + 1));
  }
  if (key == "inclk") return ClockHz(GetFieldValue("pllcontrol") == 0 ? "pllclk" : "clki");
  const ClockRow* row = FindClock(key);
  if (row == nullptr || row->input == nullptr) return 0;
  const uint32_t divider = GetValue(row->divider);
  return divider == 0 ? 0 : ClockHz(row->input) / divider;
}

bool ChipDef::SetClki(uint32_t hz) {
  if (hz < kClkiMin || hz > kClockMax) {
    return Refuse("CLKI must be between %s and %s.", FreqToStr(kClkiMin), FreqToStr(kClockMax));
  }
  m_Record->clki = hz;
  return true;
}

bool ChipDef::SetPllClock(uint32_t hz) {
  // The PLL puts out the reference CLKI / M-divider times L-counter + 1.
  const uint32_t reference = PllReference();
  if (reference == 0) {
    return Refuse("The PLL cannot be set: its reference, CLKI / M-divider, is 0 (%s / %u).",
                  FreqToStr(m_Record->clki), GetValue("mdivider"));
  }
  const uint64_t counters = uint64_t{GetMax("lcounter")} + 1;
  const uint64_t highest = std::min<uint64_t>(kClockMax / reference, counters) * reference;
  if (hz < reference || hz > highest) {
    // The texts come from a ring of scratch buffers: each call has its own.
    return Refuse("The PLL can be set from %s to %s, in steps of %s (CLKI / M-divider).",
                  FreqToStr(reference), FreqToStr(static_cast<uint32_t>(highest)),
                  FreqToStr(reference));
  }
  return SetFieldValue("lcounter", hz / reference - 1);
}
