// Frequency texts of the clock commands: "27.000 MHz", "1.001 KHz", "1000 Hz".
#pragma once

#include <cstdint>
#include <string_view>

// The frequency text, in a scratch buffer of the default string list.
const char* FreqToStr(uint32_t hz);

// Reads "27.5 MHz", "12.345KHz", "32768": digits, an optional fraction of up to three digits and
// an optional unit; without a unit the default multiplier applies.
uint32_t StrToFreq(std::string_view text, uint32_t defaultMultiplier);
