// The one-line texts of the chip model: feature and register labels, the description of a
// feature (with the generated one of a span part), and the stray-bit warning.
#include <bit>
#include <cstdio>
#include <string>

#include "base/helper.h"
#include "chipdef/chipdef_base.h"

namespace {

// Removes the one blank every part of a label leaves behind it.
std::string TrimmedLabel(std::string label) {
  if (!label.empty() && label.back() == ' ') label.pop_back();
  return label;
}

// "[READONLY,RESERVED] ", or nothing when no attribute applies.
std::string Attributes(bool readOnly, bool writeOnly, bool reserved, bool shortForm) {
  std::string list;
  if (readOnly) list += shortForm ? "RO," : "READONLY,";
  if (!readOnly && writeOnly) list += shortForm ? "WO," : "WRITEONLY,";
  if (reserved) list += shortForm ? "RSVD," : "RESERVED,";
  if (list.empty()) return list;
  list.back() = ']';
  return "[" + list + " ";
}

// The field's bits: "Bits 4:0" or "Bit 15" (short "b4:0", "b15"); nothing for a feature that
// has no field of its own (a whole value, a span).
std::string FieldBits(const FeatureRec& f, bool shortForm) {
  if (f.Mask == kAllOnes) return "";
  int low = 0, high = 0;
  GetMaskRange(f.Mask, &low, &high);
  if (low < 0) return "";
  char text[32];
  if (high == low) {
    std::snprintf(text, sizeof text, shortForm ? "b%d" : "Bit %d", high);
  } else {
    std::snprintf(text, sizeof text, shortForm ? "b%d:%d" : "Bits %d:%d", high, low);
  }
  return text;
}

// Where the feature lives: "REG[0030h-b4:0]" (long "REG[0030h] Bits 4:0"), "REG[0042h]" for a
// whole 16-bit field, "REG[SPAN]", "CODE", with "+CODE" after a register of a need-code feature.
std::string Location(const FeatureRec& f, int indexDigits, bool shortForm) {
  if (!f.Span && f.Reg == kAllOnes) return "CODE";
  std::string location = "REG[SPAN]";
  if (!f.Span) {
    int low = 0, high = 0;
    GetMaskRange(f.Mask, &low, &high);
    char text[48];
    const bool whole = f.Mask == kAllOnes || low < 0 || (high == 15 && low == 0);
    if (whole) {
      std::snprintf(text, sizeof text, "REG[%0*Xh]", indexDigits, f.Reg);
    } else if (shortForm) {
      std::snprintf(text, sizeof text, "REG[%0*Xh-%s]", indexDigits, f.Reg,
                    FieldBits(f, true).c_str());
    } else {
      std::snprintf(text, sizeof text, "REG[%0*Xh] %s", indexDigits, f.Reg,
                    FieldBits(f, false).c_str());
    }
    location = text;
  }
  if (f.NeedCode) location += "+CODE";
  return location;
}

// The span a part ("pip1saddrlsb") belongs to, and the part's suffix in capitals ("LSB").
const FeatureRec* SpanOfPart(ChipDefBase& model, const FeatureRec& part, std::string* suffix) {
  std::string span;
  uint32_t index = 0;
  if (!ChipDefBase::SplitPartName(part.KeyName.c_str(), &span, suffix)) return nullptr;
  if (!model.FindFeature(span.c_str(), &index) || !model.Features()[index].Span) return nullptr;
  return &model.Features()[index];
}

}  // namespace

const char* ChipDefBase::FeatureLabel(const char* name, uint32_t flags) {
  const FeatureRec& f = Feature(name);
  if (flags & LABEL_SYMBOL) return ScratchText("FEATURE_" + UpperText(f.KeyName));
  const bool shortForm = (flags & LABEL_SHORT) != 0;
  std::string label;
  if (flags & LABEL_NAME) {
    std::string suffix;
    const FeatureRec* span = f.Name ? nullptr : SpanOfPart(*this, f, &suffix);
    if (f.Name) {
      label += *f.Name + " ";
    } else if (span != nullptr) {
      const uint32_t spanFlags = LABEL_NAME | (flags & LABEL_SHORT);
      label += std::string(FeatureLabel(span->KeyName.c_str(), spanFlags)) + " (" + suffix + ") ";
    }
  }
  if (flags & LABEL_BITS) {
    const std::string bits = FieldBits(f, shortForm);
    if (!bits.empty()) label += bits + " ";
  } else if (flags & LABEL_LOCATION) {
    const std::string location = Location(f, static_cast<int>(m_IndexWidth), shortForm);
    label += (flags & LABEL_NAME) ? "(" + location + ") " : location + " ";
  }
  if (flags & LABEL_ATTRIBUTES) {
    label += Attributes(f.ReadOnly, f.WriteOnly, f.Reserved && IsForProduct(f.Reserved), shortForm);
  }
  return ScratchText(TrimmedLabel(std::move(label)));
}

const char* ChipDefBase::RegisterLabel(uint32_t index, bool byPosition, uint32_t flags) {
  const RegisterRec* reg = nullptr;
  uint32_t resolved = 0;
  if (!FindRegister(index, byPosition, &reg, &resolved)) return ScratchText("UNKNOWN");
  const std::string key = UpperText(reg->KeyName ? *reg->KeyName : "");
  char text[48];
  if (flags & LABEL_SYMBOL) {
    if (reg->Fake) return ScratchText("REGFLAG_" + key);
    std::snprintf(text, sizeof text, "REG%0*X_", static_cast<int>(m_IndexWidth), resolved);
    return ScratchText(text + key);
  }
  std::string label;
  if (flags & LABEL_LOCATION) {
    std::snprintf(text, sizeof text, "REG[%0*Xh] ", static_cast<int>(m_IndexWidth), resolved);
    label += text;
  }
  if ((flags & LABEL_NAME) && reg->Name) label += *reg->Name + " ";
  if (flags & LABEL_ATTRIBUTES) {
    label += Attributes(reg->ReadOnly, reg->WriteOnly, reg->Reserved && IsForProduct(reg->Reserved),
                        (flags & LABEL_SHORT) != 0);
  }
  return ScratchText(TrimmedLabel(std::move(label)));
}

const char* ChipDefBase::SpanPartText(const char* name) {
  const FeatureRec& f = Feature(name);
  if (f.Desc && !f.Desc->empty()) return ScratchText(*f.Desc);
  std::string suffix;
  const FeatureRec* span = SpanOfPart(*this, f, &suffix);
  if (span == nullptr) return ScratchText("");
  const char* place = suffix == "LSB" ? "Least" : suffix == "ISB" ? "Intermediate" : "Most";
  const std::string label = FeatureLabel(span->KeyName.c_str(), LABEL_NAME);
  return ScratchText("The " + std::string(place) + " Significant Bits (" + suffix + ") of the " +
                     label + ".");
}

std::string ChipDefBase::StrayBitWarning(uint32_t index, uint32_t bits) const {
  if (bits == 0) return "";
  char text[48];
  std::snprintf(text, sizeof text, "WARNING: REG[%0*Xh] bit%s ", static_cast<int>(m_IndexWidth),
                index, std::popcount(bits) > 1 ? "s" : "");
  return text + BitRunsText(bits) + " should not be set (should be zero).\n";
}
