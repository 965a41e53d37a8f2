#include "lang/number.h"

#include <cctype>
#include <cstdio>

#include "base/number_text.h"
#include "lang/evaluate.h"

int ArgToNum(std::string_view arg, int defaultRadix, uint32_t* out) {
  int radix = 0;
  if (GetNumberRadix(arg, defaultRadix, &radix)) return StrToNumFits(arg, radix, out) ? 0 : -1;
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

// False when the digits stand for a number wider than 32 bits.
bool TextToNumber(Value* value, const ConverterSpec& spec) {
  std::string_view text = value->View();
  if (spec.width >= 0 && static_cast<size_t>(spec.width) < text.size()) {
    text = text.substr(0, spec.width);
  }
  uint32_t n = 0;
  if (!StrToNumFits(text, spec.radix, &n)) return false;
  value->SetNumber(n);
  return true;
}

}  // namespace

const char* ConvertValue(Value* value, std::string_view spec) {
  ConverterSpec parsed{};
  if (!ParseConverterSpec(spec, &parsed)) return "Unknown format specifier.";
  if (parsed.kind == 'n') {
    if (!value->isText) return "Cannot convert a numerical value to a numerical value.";
    if (!TextToNumber(value, parsed)) return kNumberTooWide;
  } else if (value->isText) {
    TextToText(value, parsed);
  } else {
    NumberToText(value, parsed);
  }
  return nullptr;
}
