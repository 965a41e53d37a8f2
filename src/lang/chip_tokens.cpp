#include "lang/chip_tokens.h"

#include <cstdio>
#include <string>

#include "base/frequency.h"
#include "base/helper.h"
#include "chipdef/chipdef.h"
#include "console/line_editor.h"
#include "console/output.h"
#include "lang/evaluate.h"
#include "lang/number.h"
#include "platform/console.h"

namespace {

constexpr size_t kAnswerSize = 256;

struct ChipTokenState {
  std::string message;  // a composed failure message, valid until the next one
};
ChipTokenState ChipTokens;

int FailWith(const char** message, std::string text, int pos) {
  ChipTokens.message = std::move(text);
  *message = ChipTokens.message.c_str();
  return pos;
}

std::string Lowered(std::string_view name) {
  std::string lowered(name);
  for (char& c : lowered) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
  return lowered;
}

int IndexDigits() {
  return static_cast<int>(ChipModel().GetIndexWidth());
}

// Where a feature lives, as SET and the token reads show it: "REG[0030h-b4:0]".
std::string Location(const std::string& key) {
  return ChipModel().FeatureLabel(key.c_str(), LABEL_LOCATION | LABEL_SHORT);
}

std::string InRadix(uint32_t n, uint32_t radix) {
  char digits[kNumStrSize];
  return NumToStr(digits, n, static_cast<int>(radix), 0);
}

bool IsNumeric(uint32_t type) {
  return type == FT_NUMB || type == FT_ADDR;
}

// A NUMB or ADDR value: the number, or a text read as a literal in the feature's radix.
bool NumberOf(const Value& value, uint32_t radix, uint32_t* n) {
  if (!value.isText) {
    *n = value.number;
    return true;
  }
  int found = 0;
  if (value.text[0] == '\0' || !GetNumberRadix(value.text, static_cast<int>(radix), &found)) {
    return false;
  }
  return StrToNumFits(value.text, found, n);
}

// A setting the model refused: its reason when it gave one.
int Refused(const char** message) {
  const std::string& why = ChipModel().Refusal();
  if (why.empty()) return Fail(message, "Failed to set feature. (Invalid value?)", 1);
  return FailWith(message, why, 1);
}

int SetNumericFeature(const std::string& key, const Value& value, bool show, const char** message) {
  ChipDef& model = ChipModel();
  const char* name = key.c_str();
  uint32_t radix = model.GetRadix(name);
  int pos = static_cast<int>(key.size()) + 2;
  uint32_t n = 0;
  if (!NumberOf(value, radix, &n)) return Fail(message, "Not a number.", pos);
  uint32_t min = model.GetMin(name), max = model.GetMax(name), step = model.GetStep(name);
  if (n < min || n > max) {
    return FailWith(message,
                    "Must be between " + InRadix(min, radix) + " and " + InRadix(max, radix) + "!",
                    pos);
  }
  if (step > 1 && (n - min) % step != 0) {
    return FailWith(message, "Must be aligned by " + InRadix(step, radix) + "!", pos);
  }
  if (!model.SetValue(name, n)) return Refused(message);
  if (show) {
    OutPrintf(CH_SET, "%s (%s) <- %s\n", name, Location(key).c_str(), InRadix(n, radix).c_str());
  }
  return 0;
}

// A frequency: a number is in Hz (what reading a clock gives, so a value read can be stored
// back); a text is read with its unit, MHz when it has none.
int SetFrequencyFeature(const std::string& key, const Value& value, bool show,
                        const char** message) {
  ChipDef& model = ChipModel();
  const char* name = key.c_str();
  const int pos = static_cast<int>(key.size()) + 2;
  uint32_t hz = value.number;
  if (value.isText && !StrToFreq(value.text, 1000000, &hz)) {
    return Fail(message, "Not a frequency (NN.NNN Hz, KHz or MHz).", pos);
  }
  const uint32_t min = model.GetMin(name), max = model.GetMax(name);
  if (hz < min || hz > max) {
    return FailWith(
        message, std::string("Must be between ") + FreqToStr(min) + " and " + FreqToStr(max) + "!",
        pos);
  }
  if (!model.SetValue(name, hz)) return Refused(message);
  if (show) {
    const char* text = value.isText ? value.text : FreqToStr(hz);
    OutPrintf(CH_SET, "%s (%s) <- \"%s\"\n", name, Location(key).c_str(), text);
  }
  return 0;
}

int SetTextFeature(const std::string& key, const Value& value, bool show, const char** message) {
  char digits[kNumStrSize];
  const char* text = value.isText ? value.text : NumToStr(digits, value.number, 16, 0);
  if (!ChipModel().SetValueText(key.c_str(), text)) return Refused(message);
  if (show) OutPrintf(CH_SET, "%s (%s) <- \"%s\"\n", key.c_str(), Location(key).c_str(), text);
  return 0;
}

const char* RadixWord(uint32_t radix) {
  if (radix == 2) return "binary";
  if (radix == 8) return "octal";
  if (radix == 16) return "hexidecimal";
  return "decimal";
}

void ShowPrompt(const std::string& key) {
  ChipDef& model = ChipModel();
  const char* name = key.c_str();
  switch (model.GetType(name)) {
    case FT_NUMB:
      OutPrintf(CH_CMD, "New NUMB%s in %s>", model.GetUnit(name), RadixWord(model.GetRadix(name)));
      break;
    case FT_ADDR:
      OutPrintf(CH_CMD, "New ADDR in hexidecimal>");
      break;
    case FT_FREQ:
      OutPrintf(CH_CMD, "New FREQ in NN.NNN XHz>");
      break;
    case FT_TEXT:
      OutPrintf(CH_CMD, "New TEXT>");
      break;
    case FT_LIST:
      OutPrintf(CH_CMD, "New LIST in hexidecimal>");
      break;
    case FT_BOOL:
      OutPrintf(CH_CMD, "New BOOL in hexidecimal>");
      break;
    default:
      OutPrintf(CH_CMD, "New SEQU>");
      break;
  }
}

// Reads an answer line: 1 for an answer, 0 for an empty one (or none at the end of the input),
// -1 for a line refused with its message.
int ReadAnswer(char* answer) {
  ConsoleFlush();
  bool refused = false;
  if (ReadLine(answer, kAnswerSize, nullptr, false, &refused) != nullptr) return 1;
  return refused ? -1 : 0;
}

}  // namespace

int RegisterIndexDigits() {
  return IndexDigits();
}

uint32_t RegisterBits(uint32_t index) {
  return ChipModel().GetRegWidthDigits(index) * 4;
}

bool RegisterIsWriteOnly(uint32_t index) {
  return ChipModel().IsRegWriteOnly(index);
}

std::string RegisterName(uint32_t index) {
  if (!ChipModel().RegisterExists(index)) return "";
  return ChipModel().RegisterLabel(index, false, LABEL_NAME);
}

int PromptRegister(uint32_t index, const char** message) {
  ChipDef& model = ChipModel();
  if (!model.RegisterExists(index)) return Fail(message, "Not a valid register.", 1);
  std::string picture;
  model.RegisterPicture(index, &picture, false, " ", "\n", kConsoleWidth, false);
  if (!OutText(CH_OUT, picture + "\n\n")) return -1;  // left at the pager
  if (model.IsRegReadOnly(index)) {
    OutPrintf(CH_OUT, "WARNING: This register is read-only and should not be set.\n");
  }
  OutPrintf(CH_CMD, "Select bit location>");
  char answer[kAnswerSize] = {};
  if (int read = ReadAnswer(answer); read <= 0) return read;
  int radix = 0;
  uint32_t bit = 0;
  if (!GetNumberRadix(answer, 10, &radix) || !StrToNumFits(answer, radix, &bit)) {
    OutPrintf(CH_ERR, "ERROR: Not a valid bit location.\n");
    return -1;
  }
  const char* key = bit < 32 ? model.FeatureAtBit(index, bit) : nullptr;
  if (key == nullptr) {
    OutPrintf(CH_ERR, "ERROR: No feature exists at that bit location.\n");
    return -1;
  }
  std::string feature = key;
  OutPrintf(CH_CMD, "=set %s .\n", feature.c_str());
  return PromptFeature(feature, message);
}

int GetFeatureToken(std::string_view name, Value* value, bool show, const char** message) {
  ChipDef& model = ChipModel();
  std::string key = Lowered(name);
  if (key.size() >= ChipDefBase::kMaxKeyLen || !model.FeatureExists(key.c_str())) {
    return Fail(message, "Unknown feature or token.", 1);
  }
  const char* k = key.c_str();
  if (model.IsWriteOnly(k))
    return Fail(message, "Cannot show value as this feature is write-only.", 1);
  uint32_t type = model.GetType(k);
  bool textual = type == FT_TEXT || type == FT_SEQU;
  if (textual || value->isText) {
    value->SetText(model.GetValueText(k, true));
  } else {
    value->SetNumber(model.GetValue(k));
  }
  if (!show) return 0;
  std::string location = Location(key);
  if (textual) {
    OutPrintf(CH_SET, "%s (%s) = \"%s\"\n", k, location.c_str(), model.GetValueText(k, true));
    return 0;
  }
  char raw[kNumStrSize + 1];
  std::snprintf(raw, sizeof raw, "%Xh", model.GetFieldValue(k));
  std::string text = model.GetValueText(k, true);
  if (text == raw) {
    OutPrintf(CH_SET, "%s (%s) = %s\n", k, location.c_str(), raw);
  } else {
    OutPrintf(CH_SET, "%s (%s) = %s (%s)\n", k, location.c_str(), raw, text.c_str());
  }
  return 0;
}

int SetFeatureToken(std::string_view name, const Value& value, bool show, const char** message) {
  std::string key = Lowered(name);
  if (key.size() >= ChipDefBase::kMaxKeyLen || !ChipModel().FeatureExists(key.c_str())) {
    return Fail(message, "Unknown feature or token.", 1);
  }
  ChipModel().ClearRefusal();
  const uint32_t type = ChipModel().GetType(key.c_str());
  if (IsNumeric(type)) return SetNumericFeature(key, value, show, message);
  if (type == FT_FREQ) return SetFrequencyFeature(key, value, show, message);
  return SetTextFeature(key, value, show, message);
}

bool ShowFeatureRange(std::string_view name) {
  ChipDef& model = ChipModel();
  std::string key = Lowered(name);
  const char* k = key.c_str();
  if (key.size() >= ChipDefBase::kMaxKeyLen || !model.FeatureExists(k)) return true;
  std::string description;
  model.FeatureDescription(k, &description, "", "\n", false, kConsoleWidth);
  if (!OutText(CH_OUT, description + "\n\n")) return false;
  if (!IsNumeric(model.GetType(k))) return true;
  uint32_t radix = model.GetRadix(k);
  std::string line = "  " + key + " = MIN:" + InRadix(model.GetMin(k), radix) +
                     ", MAX:" + InRadix(model.GetMax(k), radix);
  if (model.GetStep(k) > 1) line += ", STEP:" + InRadix(model.GetStep(k), radix);
  return OutPrintf(CH_OUT, "%s\n", line.c_str());
}

int PromptFeature(std::string_view name, const char** message) {
  std::string key = Lowered(name);
  if (key.size() >= ChipDefBase::kMaxKeyLen || !ChipModel().FeatureExists(key.c_str())) {
    return Fail(message, "Unknown feature or token.", 1);
  }
  if (!ShowFeatureRange(key)) return -1;  // left at the pager
  if (ChipModel().IsReadOnly(key.c_str())) {
    OutPrintf(CH_OUT, "WARNING: This feature is read-only and should not be set.\n");
  }
  ShowPrompt(key);
  char answer[kAnswerSize] = {};
  if (int read = ReadAnswer(answer); read <= 0) return read;
  return SetFeatureToken(key, Value::Text(answer), true, message);
}
