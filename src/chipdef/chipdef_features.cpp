// The generic feature operations of the chip model: raw fields (with spans), user values with
// their operator transforms and clamping, and the texts of every feature type.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/frequency.h"
#include "base/helper.h"
#include "base/number_text.h"
#include "base/string_list.h"
#include "chipdef/chipdef_base.h"
#include "chipdef/fatal.h"

namespace {

constexpr const char* kSpanSuffixes[] = {"lsb", "isb", "msb"};

bool IsNumeric(uint32_t type) {
  return type == FT_NUMB || type == FT_ADDR || type == FT_FREQ;
}

// The width of the mask's lowest run of ones.
int RunWidth(uint32_t mask) {
  int low = 0, high = 0;
  GetMaskRange(mask, &low, &high);
  return low < 0 ? 0 : high - low + 1;
}

uint32_t RunMask(uint32_t mask) {
  const int width = RunWidth(mask);
  return width >= 32 ? kAllOnes : (1u << width) - 1;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && NameCompare(a, b, b.size()) == 0;
}

// A value entry's name equals the text, alone or with the feature's unit after it.
bool NameMatches(const OptText& name, std::string_view text, const OptText& unit) {
  if (!name) return false;
  if (EqualNoCase(*name, text)) return true;
  return unit && EqualNoCase(*name + *unit, text);
}

constexpr struct {
  const char* word;
  uint32_t bit;
} kBoolWords[] = {{"enabled", 1},  {"true", 1},  {"t", 1}, {"on", 1},  {"1", 1},
                  {"disabled", 0}, {"false", 0}, {"f", 0}, {"off", 0}, {"0", 0}};

}  // namespace

const FeatureRec& ChipDefBase::Feature(const char* name) {
  uint32_t index = 0;
  if (!FindFeature(name, &index)) CHIPDEF_FATAL("unknown feature %s", name ? name : "(none)");
  return m_Features[index];
}

char* ChipDefBase::Scratch() {
  return GetStr(m_Scratch);
}

const char* ChipDefBase::ScratchText(std::string_view text) {
  // A long sequence text takes a larger buffer rather than being cut.
  char* out = GetStrSized(m_Scratch, text.size() < kScratchSize ? kScratchSize : text.size() + 1);
  std::memcpy(out, text.data(), text.size());
  out[text.size()] = '\0';
  return out;
}

bool ChipDefBase::FeatureExists(const char* name) {
  uint32_t index = 0;
  return FindFeature(name, &index);
}

bool ChipDefBase::GetNthFeature(uint32_t n, const char** keyName) {
  // Asking for the next one after the last answer goes on from there.
  const bool resume = m_NthValid && n > m_NthN;
  uint32_t seen = resume ? m_NthN + 1 : 0;
  for (size_t i = resume ? m_NthIndex + 1 : 0; i < m_Features.size(); i++) {
    const FeatureRec& f = m_Features[i];
    if (f.KeyName.empty() || !IsForProduct(f.Product)) continue;
    if (seen++ == n) {
      m_NthValid = true;
      m_NthN = n;
      m_NthIndex = static_cast<uint32_t>(i);
      *keyName = f.KeyName.c_str();
      return true;
    }
  }
  return false;
}

uint32_t ChipDefBase::GetType(const char* name) {
  return Feature(name).Type;
}

bool ChipDefBase::IsReadOnly(const char* name) {
  return Feature(name).ReadOnly;
}

bool ChipDefBase::IsWriteOnly(const char* name) {
  return Feature(name).WriteOnly;
}

const char* ChipDefBase::GetUnit(const char* name) {
  const FeatureRec& f = Feature(name);
  return f.Unit ? f.Unit->c_str() : "";
}

bool ChipDefBase::IsFeatureReserved(const char* name) {
  const FeatureRec& f = Feature(name);
  return f.Reserved && IsForProduct(f.Reserved);
}

bool ChipDefBase::GetNthValue(const char* name, uint32_t n, uint32_t* entry) {
  const FeatureRec& f = Feature(name);
  for (size_t i = 0; i < f.Values.size(); i++) {
    if (!IsForProduct(f.Values[i].Product)) continue;
    if (n-- == 0) {
      *entry = static_cast<uint32_t>(i);
      return true;
    }
  }
  return false;
}

bool ChipDefBase::FindValueByIndex(const char* name, uint32_t field, uint32_t* entry) {
  const FeatureRec& f = Feature(name);
  for (size_t i = 0; i < f.Values.size(); i++) {
    if (f.Values[i].Index <= field && field <= f.Values[i].ToIndex) {
      *entry = static_cast<uint32_t>(i);
      return true;
    }
  }
  return false;
}

bool ChipDefBase::FindValueByText(const char* name, const char* text, uint32_t* entry) {
  const FeatureRec& f = Feature(name);
  uint32_t number = 0;
  if (text[0] != '\0' && IsNumber(text, 16) && StrToNumFits(text, 16, &number) &&
      FindValueByIndex(name, number, entry)) {
    return true;
  }
  for (size_t i = 0; i < f.Values.size(); i++) {
    const FValueRec& v = f.Values[i];
    if (NameMatches(v.Value, text, f.Unit) || NameMatches(v.ReadValue, text, f.Unit) ||
        NameMatches(v.WriteValue, text, f.Unit)) {
      *entry = static_cast<uint32_t>(i);
      return true;
    }
  }
  return false;
}

const char* ChipDefBase::FeatureAtBit(uint32_t regIndex, uint32_t bit) {
  if (bit >= 32) return nullptr;
  for (const FeatureRec& f : m_Features) {
    if (f.Span || f.Overlap || f.Reg != regIndex || !(f.Mask & (1u << bit))) continue;
    if (!f.KeyName.empty() && IsForProduct(f.Product)) return f.KeyName.c_str();
  }
  return nullptr;
}

bool ChipDefBase::SplitPartName(const char* name, std::string* span, std::string* suffix) {
  const size_t len = name ? std::strlen(name) : 0;
  if (len < 3) return false;
  const char* end = name + len - 2;
  if (std::strcmp(end, "sb") != 0 && std::strcmp(end, "SB") != 0) return false;
  span->assign(name, len - 3);
  suffix->clear();
  for (const char* c = name + len - 3; *c != '\0'; c++) {
    *suffix += (*c >= 'a' && *c <= 'z') ? static_cast<char>(*c - 'a' + 'A') : *c;
  }
  return true;
}

namespace {

// One part of a span feature and where its bits sit in the span's value.
struct SpanPart {
  std::string name;
  uint32_t mask;
  int shift;
};

// The parts of a span, lowest first; a span may have no middle part.
std::vector<SpanPart> SpanParts(ChipDefBase& model, const FeatureRec& span) {
  std::vector<SpanPart> parts;
  int shift = 0;
  for (const char* suffix : kSpanSuffixes) {
    std::string name = span.KeyName + suffix;
    uint32_t index = 0;
    if (!model.FindFeature(name.c_str(), &index)) {
      if (std::strcmp(suffix, "isb") == 0) continue;
      CHIPDEF_FATAL("span part %s is missing", name.c_str());
    }
    const uint32_t mask = model.Features()[index].Mask;
    parts.push_back({std::move(name), mask, shift});
    shift += RunWidth(mask);
  }
  return parts;
}

}  // namespace

uint32_t ChipDefBase::GetFieldValue(const char* name) {
  const FeatureRec& f = Feature(name);
  if (f.Type == FT_TEXT) CHIPDEF_FATAL("%s is a text feature", name);
  if (f.WriteOnly) CHIPDEF_FATAL("%s is write-only", name);
  if (f.Span) {
    uint32_t value = 0;
    for (const SpanPart& part : SpanParts(*this, f)) {
      if (part.shift < 32) value |= GetFieldValue(part.name.c_str()) << part.shift;
    }
    return value;
  }
  const uint32_t reg = ReadRegister(f.Reg, false);
  return f.Mask == kAllOnes ? reg : ShiftByMask(reg & f.Mask, f.Mask);
}

bool ChipDefBase::SetFieldValue(const char* name, uint32_t raw) {
  const FeatureRec& f = Feature(name);
  if (f.Type == FT_TEXT) CHIPDEF_FATAL("%s is a text feature", name);
  if (f.Span) {
    bool ok = true;
    for (const SpanPart& part : SpanParts(*this, f)) {
      const uint32_t piece = part.shift < 32 ? (raw >> part.shift) & RunMask(part.mask) : 0;
      ok = SetFieldValue(part.name.c_str(), piece) && ok;
    }
    return ok;
  }
  uint32_t value = raw;
  if (f.Mask != kAllOnes) {
    if (raw > RunMask(f.Mask)) return false;
    int low = 0, high = 0;
    GetMaskRange(f.Mask, &low, &high);
    if (low < 0) return false;  // a field of no bits holds nothing
    // Reading a data port moves the chip on (its counter advances): a field of one is written
    // alone.
    const uint32_t kept = IsDataPort(f.Reg) ? 0 : ReadRegister(f.Reg, false) & ~f.Mask;
    value = ((raw << low) & f.Mask) | kept;
  }
  return WriteRegister(f.Reg, false, value);
}

uint32_t ChipDefBase::GetValue(const char* name) {
  const FeatureRec& f = Feature(name);
  if (f.Type == FT_TEXT) CHIPDEF_FATAL("%s is a text feature", name);
  if (f.Type == FT_SEQU) return 0;
  const uint32_t raw = GetFieldValue(name);
  if (!IsNumeric(f.Type)) return raw;
  const uint32_t value = ApplyOp(ApplyOp(raw, f.Op1, false), f.Op2, false);
  return value < f.Min ? f.Min : value > f.Max ? f.Max : value;
}

bool ChipDefBase::SetValue(const char* name, uint32_t value) {
  const FeatureRec& f = Feature(name);
  switch (f.Type) {
    case FT_NUMB:
    case FT_ADDR:
    case FT_FREQ: {
      const uint32_t clamped = value < f.Min ? f.Min : value > f.Max ? f.Max : value;
      const uint32_t raw = ApplyOp(ApplyOp(clamped, f.Op2, true), f.Op1, true);
      const bool stored = SetFieldValue(name, raw);
      return stored && clamped == value;
    }
    case FT_LIST: {
      if (f.Radix == 2) return false;
      char text[16];
      std::snprintf(text, sizeof text, f.Radix == 16 ? "%X" : "%u", value);
      return SetValueText(name, text);
    }
    case FT_BOOL:
      return SetFieldValue(name, value);
    case FT_TEXT:
      CHIPDEF_FATAL("%s is a text feature", name);
    default:
      return false;
  }
}

namespace {

// The numeric feature a limit query is about; anything else is a misuse of the model.
const FeatureRec& NumericFeature(const FeatureRec& f, const char* name, const char* what) {
  if (!IsNumeric(f.Type)) CHIPDEF_FATAL("%s has no %s", name, what);
  return f;
}

}  // namespace

uint32_t ChipDefBase::GetMin(const char* name) {
  return NumericFeature(Feature(name), name, "limits").Min;
}

uint32_t ChipDefBase::GetMax(const char* name) {
  return NumericFeature(Feature(name), name, "limits").Max;
}

uint32_t ChipDefBase::GetStep(const char* name) {
  return NumericFeature(Feature(name), name, "step").Step;
}

uint32_t ChipDefBase::GetRadix(const char* name) {
  return NumericFeature(Feature(name), name, "radix").Radix;
}

const char* ChipDefBase::GetValueText(const char* name, bool asRead) {
  const FeatureRec& f = Feature(name);
  if (f.WriteOnly) CHIPDEF_FATAL("%s is write-only", name);
  std::string text;
  char digits[kNumStrSize];
  switch (f.Type) {
    case FT_NUMB:
    case FT_ADDR: {
      const uint32_t value = GetValue(name);
      if (f.Radix == 2) {
        text = NumToStr(digits, value, 2, 0);
      } else if (f.Radix == 16) {
        const int width = (RunWidth(f.Mask) + 3) / 4;
        std::snprintf(digits, sizeof digits, "%0*Xh", width, value);
        text = digits;
      } else {
        std::snprintf(digits, sizeof digits, "%u", value);
        text = digits;
      }
      break;
    }
    case FT_FREQ:
      return ScratchText(FreqToStr(GetValue(name)));
    case FT_LIST:
    case FT_BOOL: {
      const uint32_t raw = GetFieldValue(name);
      uint32_t entry = 0;
      if (!FindValueByIndex(name, raw, &entry)) {
        char reserved[48];
        std::snprintf(reserved, sizeof reserved, "[RESERVED SETTING OF %Xh]", raw);
        text = reserved;
        break;
      }
      const FValueRec& v = f.Values[entry];
      const OptText& preferred = asRead ? v.ReadValue : v.WriteValue;
      const OptText& chosen = preferred     ? preferred
                              : v.Value     ? v.Value
                              : v.ReadValue ? v.ReadValue
                                            : v.WriteValue;
      if (chosen) text = *chosen;
      break;
    }
    case FT_SEQU:
      text = SequenceText(name);
      break;
    default:
      CHIPDEF_FATAL("%s has no value text", name);
  }
  if (f.Unit) text += *f.Unit;
  return ScratchText(text);
}

bool ChipDefBase::SetValueText(const char* name, const char* text) {
  const FeatureRec& f = Feature(name);
  if (text == nullptr) return false;
  switch (f.Type) {
    case FT_NUMB:
    case FT_ADDR: {
      const int radix = static_cast<int>(f.Radix);
      // A text that is no number of the radix would otherwise be stored as 0.
      // A number wider than 32 bits is refused rather than cut.
      uint32_t number = 0;
      if (text[0] == '\0' || !IsNumber(text, radix) || !StrToNumFits(text, radix, &number)) {
        return false;
      }
      return SetValue(name, number);
    }
    case FT_FREQ: {
      uint32_t hz = 0;
      return StrToFreq(text, 1000000, &hz) && SetValue(name, hz);
    }
    case FT_LIST: {
      uint32_t entry = 0;
      if (!FindValueByText(name, text, &entry)) return false;
      return SetFieldValue(name, f.Values[entry].Index);
    }
    case FT_BOOL:
      for (const auto& w : kBoolWords) {
        if (EqualNoCase(w.word, text)) return SetFieldValue(name, f.Inverted ? !w.bit : w.bit);
      }
      return false;
    case FT_SEQU:
      return StoreSequence(name, text);
    default:
      CHIPDEF_FATAL("%s cannot be set from text", name);
  }
}

bool ChipDefBase::GetSeqEntry(const char*, uint32_t, uint32_t*, uint32_t*, const char**) {
  return false;
}

bool ChipDefBase::SetSeqEntry(const char*, uint32_t, uint32_t, uint32_t, const char*) {
  return false;
}

uint32_t ChipDefBase::GetSeqCapacity(const char*) {
  return 0;
}

uint32_t ChipDefBase::GetSeqLength(const char*) {
  return 0;
}

bool ChipDefBase::SetSeqLength(const char*, uint32_t) {
  return false;
}
