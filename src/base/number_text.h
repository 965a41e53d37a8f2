// Number literals in four radixes: reading and writing their digits, without evaluation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

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

// The radix a suffix letter names (h, t, o, i in either case), or 0.
int RadixOfSuffix(char c);

// The number formed by the leading digits of the radix (2, 8, 10 or 16), keeping the low 32 bits.
uint32_t StrToNum(std::string_view text, int radix);

// StrToNum for text typed by the engineer: false, out untouched, when the digits stand for a
// number wider than 32 bits, which must be refused rather than cut.
bool StrToNumFits(std::string_view text, int radix, uint32_t* out);

// The message for such a number.
constexpr const char* kNumberTooWide = "Number does not fit in 32 bits.";

// Writes the digits of number (upper-case hexadecimal, no prefix or suffix), zero-padded on the
// left to sigDigits (0..32). buffer holds at least kNumStrSize characters. Returns buffer.
char* NumToStr(char* buffer, uint32_t number, int radix, int sigDigits);
