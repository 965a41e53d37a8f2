#include "base/number_text.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "platform/assert.h"

namespace {

bool IsValidRadix(int radix) {
  return radix == 2 || radix == 8 || radix == 10 || radix == 16;
}

// The suffix letter that names a radix, in lower case.
char SuffixOf(int radix) {
  switch (radix) {
    case 2:
      return 'i';
    case 8:
      return 'o';
    case 10:
      return 't';
    default:
      return 'h';
  }
}

}  // namespace

int RadixOfSuffix(char c) {
  switch (std::tolower(static_cast<unsigned char>(c))) {
    case 'h':
      return 16;
    case 't':
      return 10;
    case 'o':
      return 8;
    case 'i':
      return 2;
    default:
      return 0;
  }
}

namespace {

// The value of c as a digit of radix, or -1.
int DigitValue(char c, int radix) {
  int d = -1;
  if (c >= '0' && c <= '9') d = c - '0';
  if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
  if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
  return d < radix ? d : -1;
}

}  // namespace

bool IsNumber(std::string_view text, int radix) {
  for (size_t i = 0; i < text.size(); i++) {
    char c = text[i];
    if (c < '0' || c > 't') return false;
    if (DigitValue(c, radix) >= 0) continue;
    bool last = i + 1 == text.size();
    if (!last || std::tolower(static_cast<unsigned char>(c)) != SuffixOf(radix)) return false;
  }
  return true;
}

bool GetNumberRadix(std::string_view text, int defaultRadix, int* radix) {
  if (IsNumber(text, defaultRadix)) {
    *radix = defaultRadix;
    return true;
  }
  if (text.size() < 2) return false;
  int suffixRadix = RadixOfSuffix(text.back());
  if (suffixRadix == 0 || !IsNumber(text, suffixRadix)) return false;
  *radix = suffixRadix;
  return true;
}

uint32_t StrToNum(std::string_view text, int radix) {
  VORN_ASSERT(IsValidRadix(radix));
  uint32_t n = 0;
  for (char c : text) {
    int d = DigitValue(c, radix);
    if (d < 0) break;
    n = n * static_cast<uint32_t>(radix) + static_cast<uint32_t>(d);
  }
  return n;
}

bool StrToNumFits(std::string_view text, int radix, uint32_t* out) {
  VORN_ASSERT(IsValidRadix(radix));
  uint64_t n = 0;
  for (char c : text) {
    int d = DigitValue(c, radix);
    if (d < 0) break;
    n = n * static_cast<uint64_t>(radix) + static_cast<uint64_t>(d);
    if (n > UINT32_MAX) return false;
  }
  *out = static_cast<uint32_t>(n);
  return true;
}

char* NumToStr(char* buffer, uint32_t number, int radix, int sigDigits) {
  VORN_ASSERT(IsValidRadix(radix));
  VORN_ASSERT(sigDigits >= 0 && sigDigits <= 32);
  if (sigDigits < 0) sigDigits = 0;
  if (sigDigits > 32) sigDigits = 32;
  int shift = radix == 2 ? 1 : radix == 8 ? 3 : 0;
  if (shift == 0) {
    std::snprintf(buffer, kNumStrSize, radix == 10 ? "%0*u" : "%0*X", sigDigits, number);
    return buffer;
  }
  // Radixes 2 and 8: digits from the most significant one, at least sigDigits of them.
  int digits = 1;
  while (digits * shift < 32 && (number >> (digits * shift)) != 0) digits++;
  if (digits < sigDigits) digits = sigDigits;
  for (int i = 0; i < digits; i++) {
    int bit = (digits - 1 - i) * shift;
    uint32_t d = bit < 32 ? (number >> bit) & ((1u << shift) - 1) : 0;
    buffer[i] = static_cast<char>('0' + d);
  }
  buffer[digits] = '\0';
  return buffer;
}
