// Number literals in four radixes and the .n/.s value converters.
#pragma once

#include <cstdint>
#include <string_view>

#include "script/value.h"

// Plain literals without a radix suffix are hexadecimal.
constexpr int DefaultRadix = 16;

// Room for the longest NumToStr result: 32 binary digits and the terminator.
constexpr size_t kNumStrSize = 33;

// True when every character is a digit of the radix, with an optional suffix letter of that
// radix ("h", "t", "o", "i") as the last character. An empty text is a valid number.
bool IsNumber(std::string_view text, int radix);

// True when the text is a number literal: tried in the default radix first, then in the radix
// its suffix names. Gives the radix to read it in.
bool GetNumberRadix(std::string_view text, int defaultRadix, int* radix);

// The number formed by the leading digits of the radix (2, 8, 10 or 16), keeping the low 32 bits.
uint32_t StrToNum(std::string_view text, int radix);

// Writes the digits of number (upper-case hexadecimal, no prefix or suffix), zero-padded on the
// left to sigDigits (0..32). buffer holds at least kNumStrSize characters. Returns buffer.
char* NumToStr(char* buffer, uint32_t number, int radix, int sigDigits);

// Reads a numeric command argument: a plain literal in the default radix, else the argument
// evaluated as an expression that must give a number. 0 on success, -1 on failure (out untouched).
int ArgToNum(std::string_view arg, int defaultRadix, uint32_t* out);

// Applies a converter to value in place. spec is the text after the converter's dot: "n" or "s",
// an optional radix letter and an optional decimal width. Returns nullptr on success, otherwise
// the failure message.
const char* ConvertValue(Value* value, std::string_view spec);
