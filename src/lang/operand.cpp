#include "lang/operand.h"

#include <cctype>

#include "lang/evaluate.h"
#include "lang/expression_text.h"
#include "lang/number.h"
#include "lang/token_hook.h"
#include "lang/variables.h"

namespace {

// The first dot outside quotes, or npos.
size_t FindConverterDot(std::string_view text) {
  bool inQuotes = false;
  for (size_t i = 0; i < text.size(); i++) {
    if (text[i] == '"' && QuoteToggles(text, i)) inQuotes = !inQuotes;
    if (text[i] == '.' && !inQuotes) return i;
  }
  return std::string_view::npos;
}

// A token asked for with a plain "s" converter (no radix letter) is wanted in its text form.
bool WantsText(std::string_view converter) {
  if (converter.empty() || std::tolower(static_cast<unsigned char>(converter[0])) != 's') {
    return false;
  }
  if (converter.size() < 2) return true;
  switch (std::tolower(static_cast<unsigned char>(converter[1]))) {
    case 'h':
    case 'i':
    case 'o':
    case 't':
      return false;
    default:
      return true;
  }
}

int ReadOperand(std::string_view operand, bool wantsText, Value* result, const char* scope,
                const char** message) {
  if (!operand.empty() && operand[0] == '"') {
    if (operand.size() < 2 || operand.back() != '"') {
      *message = "Invalid string value.";
      return 1;
    }
    InterpolateText(operand.substr(1, operand.size() - 2), result, scope);
    return 0;
  }
  int radix = 0;
  if (GetNumberRadix(operand, DefaultRadix, &radix)) {
    uint32_t n = 0;
    if (!StrToNumFits(operand, radix, &n)) {
      *message = kNumberTooWide;
      return 1;
    }
    result->SetNumber(n);
    return 0;
  }
  if (operand[0] == '$') {
    if (GetVariable(operand, result, scope)) return 0;
    *message = "Unknown token or expression.";
    return 1;
  }
  result->SetNumber(0);
  result->isText = wantsText;
  return ReadToken(operand, result, message);
}

}  // namespace

int EvaluatePrimary(std::string_view text, Value* result, const char* scope, const char** message) {
  size_t lead = 0;
  text = TrimBlanks(text, &lead);
  size_t dot = FindConverterDot(text);
  std::string_view operand = text.substr(0, dot);
  std::string_view converter =
      dot == std::string_view::npos ? std::string_view() : text.substr(dot + 1);
  int pos = ReadOperand(operand, WantsText(converter), result, scope, message);
  if (pos != 0) return static_cast<int>(lead) + pos;
  if (dot == std::string_view::npos) return 0;
  const char* failure = ConvertValue(result, converter);
  if (failure == nullptr) return 0;
  *message = failure;
  return static_cast<int>(lead + dot) + 2;  // the letter after the dot
}

void InterpolateText(std::string_view content, Value* result, const char* scope) {
  TextBuilder out;
  Value inner;
  for (size_t i = 0; i < content.size() && !out.Full(); i++) {
    size_t close = content[i] == '{' ? content.find('}', i + 1) : std::string_view::npos;
    if (close != std::string_view::npos &&
        Evaluate(content.substr(i + 1, close - i - 1), &inner, scope, nullptr) == 0) {
      char digits[kNumStrSize];
      out.Append(inner.isText ? inner.View() : NumToStr(digits, inner.number, 16, 0));
      i = close;
      continue;
    }
    out.Append(content[i]);
  }
  result->SetText(out.View());
}
