// Small text and number helpers shared by the commands and the chip model.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Backslash sequences in place: \0 \a \b \n \r \t become their control characters, a backslash
// before any other character becomes that character. Returns the new length.
size_t TranslateEscapes(char* text);

// Puts a CR before every LF that has none; the grown text must fit size (asserted).
void LfToCrLf(char* text, size_t size);

// Deletes every CR in place; returns the new length.
size_t RemoveCr(char* text);

// Copies text into out (width + 1 bytes); a text longer than width keeps its first width - 3
// characters followed by "...".
void TruncateWithEllipsis(char* out, std::string_view text, size_t width);

// Where to break text for a line of width columns: the first LF within the width; for a longer
// text, the last blank at or before the width when it comes before that LF, else the width.
size_t FindWrapPoint(std::string_view text, size_t width);

// printf-formats into a text of the length needed.
std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

// printf-formats, appends suffix and left-justifies in a column of width; a text that fills the
// column gets two blanks after it.
std::string PadColumn(size_t width, std::string_view suffix, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

// Inserts prefix in front of text in place, within size bytes (the end is cut when it must be).
void PrependStr(char* text, size_t size, std::string_view prefix);

// Compares n characters without regard to case: 0 only when the first n characters of a exist
// and match those of b.
int NameCompare(std::string_view a, std::string_view b, size_t n);

// True when a and b are the same text without regard to case.
bool EqualsNoCase(std::string_view a, std::string_view b);

// True when text starts with prefix without regard to case.
bool StartsWithNoCase(std::string_view text, std::string_view prefix);

// A blank or a tab: what separates words on a command line.
inline bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// A decimal digit, 0 to 9.
inline bool IsDecimalDigit(char c) {
  return c >= '0' && c <= '9';
}

// The position of needle in haystack without regard to case, or npos.
size_t FindNoCase(std::string_view haystack, std::string_view needle);

uint16_t Swap16(uint16_t v);
uint32_t Swap32(uint32_t v);

// The lowest set bit of mask and the highest bit of the run of ones that starts there; both -1
// for a mask of 0.
void GetMaskRange(uint32_t mask, int* low, int* high);

// value shifted right by the index of the lowest set bit of mask.
uint32_t ShiftByMask(uint32_t value, uint32_t mask);

// The runs of set bits, lowest first, each as "high:low" or as the one bit: "4:3, 8". Empty for 0.
std::string BitRunsText(uint32_t bits);

// Lower-cases ASCII letters in place.
void LowerInPlace(char* text);

// The text with its ASCII letters in upper case.
std::string UpperText(std::string_view text);
