#include "script/number.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "hal/assert.h"
#include "script/evaluate.h"

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

int ArgToNum(std::string_view arg, int defaultRadix, uint32_t* out) {
  int radix = 0;
  if (GetNumberRadix(arg, defaultRadix, &radix)) {
    *out = StrToNum(arg, radix);
    return 0;
  }
  uint32_t n = 0;
  const char* message = nullptr;
  if (EvalToNum(arg, &n, &message) != 0) return -1;
  *out = n;
  return 0;
}

namespace {

struct ConverterSpec {
  char kind;  // 'n' or 's'
  int radix;  // 2, 8, 10 or 16
  int width;  // -1 when none is given
  bool zeroPad;
};

bool ParseConverterSpec(std::string_view spec, ConverterSpec* out) {
  if (spec.empty()) return false;
  out->kind = static_cast<char>(std::tolower(static_cast<unsigned char>(spec[0])));
  if (out->kind != 'n' && out->kind != 's') return false;
  size_t i = 1;
  out->radix = DefaultRadix;
  if (i < spec.size() && RadixOfSuffix(spec[i]) != 0) out->radix = RadixOfSuffix(spec[i++]);
  out->width = -1;
  out->zeroPad = i < spec.size() && spec[i] == '0';
  for (; i < spec.size() && std::isdigit(static_cast<unsigned char>(spec[i])); i++) {
    int w = out->width < 0 ? 0 : out->width;
    // Widths are cut to the text capacity, so they never grow past it.
    out->width = w * 10 + (spec[i] - '0');
    if (out->width > static_cast<int>(kTextCapacity)) out->width = kTextCapacity;
  }
  return i == spec.size();
}

void NumberToText(Value* value, const ConverterSpec& spec) {
  char digits[kNumStrSize];
  if (spec.zeroPad) {
    // Zero padding is limited by the 32 digits NumToStr can write.
    NumToStr(digits, value->number, spec.radix, spec.width > 32 ? 32 : spec.width);
    value->SetText(digits);
    return;
  }
  NumToStr(digits, value->number, spec.radix, 0);
  char padded[kTextCapacity + 1];
  std::snprintf(padded, sizeof padded, "%*s", spec.width < 0 ? 0 : spec.width, digits);
  value->SetText(padded);
}

void TextToText(Value* value, const ConverterSpec& spec) {
  if (spec.width < 0) return;
  char padded[kTextCapacity + 1];
  std::snprintf(padded, sizeof padded, "%-*.*s", spec.width, spec.width, value->text);
  value->SetText(padded);
}

void TextToNumber(Value* value, const ConverterSpec& spec) {
  std::string_view text = value->View();
  if (spec.width >= 0 && static_cast<size_t>(spec.width) < text.size()) {
    text = text.substr(0, spec.width);
  }
  value->SetNumber(StrToNum(text, spec.radix));
}

}  // namespace

const char* ConvertValue(Value* value, std::string_view spec) {
  ConverterSpec parsed{};
  if (!ParseConverterSpec(spec, &parsed)) return "Unknown format specifier.";
  if (parsed.kind == 'n') {
    if (!value->isText) return "Cannot convert a numerical value to a numerical value.";
    TextToNumber(value, parsed);
  } else if (value->isText) {
    TextToText(value, parsed);
  } else {
    NumberToText(value, parsed);
  }
  return nullptr;
}
