// Frequency texts of the clock commands: "27.000 MHz", "1.001 KHz", "1000 Hz".
#pragma once

#include <cstdint>
#include <string_view>

// The frequency text, in a scratch buffer of the default string list.
const char* FreqToStr(uint32_t hz);

// Reads "27.5 MHz", "12.345KHz", "32768": digits, an optional fraction and an optional unit (Hz,
// KHz, MHz or GHz in any case); without a unit the default multiplier applies. The fraction
// counts to the thousandth and no further, so a result is rounded down to 1 MHz for GHz, 1 kHz
// for MHz, 1 Hz for KHz and whole hertz for Hz. A frequency above 4294967295 Hz gives that
// largest one, which no clock accepts. False, hz untouched, for a text without digits or with
// anything but a known unit after the number ("-1 Hz", "nan MHz", "27 THz").
bool StrToFreq(std::string_view text, uint32_t defaultMultiplier, uint32_t* hz);
