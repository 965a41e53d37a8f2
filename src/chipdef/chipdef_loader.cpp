// The two-pass loader of the chip-definition document: pass 1 counts the records so that the
// tables are allocated once at their exact size, pass 2 fills them and checks them.
#include <expat.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>
#include <unordered_map>

#include "base/helper.h"
#include "base/number_text.h"
#include "chipdef/chipdef_base.h"
#include "chipdef/fatal.h"

namespace {

struct ParserDeleter {
  void operator()(XML_Parser parser) const { XML_ParserFree(parser); }
};
using ParserPtr = std::unique_ptr<std::remove_pointer_t<XML_Parser>, ParserDeleter>;

// Most names differ in their first character, which spares the call.
bool Is(const XML_Char* a, const char* b) {
  return a[0] == b[0] && std::strcmp(a, b) == 0;
}

uint32_t Hex(const XML_Char* text) {
  return StrToNum(text, 16);
}
uint32_t Dec(const XML_Char* text) {
  return StrToNum(text, 10);
}

// The record counts of pass 1.
struct Counts {
  size_t Products = 0, Categories = 0, Registers = 0, Features = 0;
};

void XMLCALL CountStart(void* data, const XML_Char* name, const XML_Char**) {
  auto* counts = static_cast<Counts*>(data);
  if (Is(name, "PRODUCT")) counts->Products++;
  if (Is(name, "CATEGORY")) counts->Categories++;
  if (Is(name, "REGISTER")) counts->Registers++;
  if (Is(name, "FEATURE")) counts->Features++;
}

constexpr struct {
  const char* Text;
  uint32_t Type;
} kTypeNames[] = {{"numb", FT_NUMB}, {"addr", FT_ADDR}, {"freq", FT_FREQ}, {"text", FT_TEXT},
                  {"list", FT_LIST}, {"bool", FT_BOOL}, {"sequ", FT_SEQU}};

// The feature's key as stored: capitals lowered, hyphens dropped; AbbrevLen is the position of
// the first capital or hyphen as written.
void StoreKeyName(FeatureRec* f, const char* text) {
  f->KeyName.clear();
  for (size_t i = 0; text[i] != '\0'; i++) {
    const char c = text[i];
    const bool capital = c >= 'A' && c <= 'Z';
    if ((capital || c == '-') && f->AbbrevLen == kNoAbbrev) f->AbbrevLen = static_cast<uint32_t>(i);
    if (c == '-') continue;
    f->KeyName += capital ? static_cast<char>(c - 'A' + 'a') : c;
  }
}

// "rsvd" names of reserved fields, from the register index and the mask's lowest run of ones.
std::string ReservedName(uint32_t reg, uint32_t mask) {
  int low = 0, high = 0;
  GetMaskRange(mask, &low, &high);
  char name[48];
  if (low == high) {
    std::snprintf(name, sizeof name, "rsvd%Xb%d", reg, low);
  } else {
    std::snprintf(name, sizeof name, "rsvd%Xb%dto%d", reg, high, low);
  }
  return name;
}

}  // namespace

// Pass 2: the element handlers that fill the model's tables.
struct ChipDefLoader {
  ChipDefBase& M;
  // Whether MIN and MAX were given on the open FEATURE.
  bool MinGiven = false, MaxGiven = false;
  // How often each key name has been stored so far (the records do not move while loading).
  std::unordered_map<std::string_view, uint32_t> KeyCounts;

  static void XMLCALL Start(void* data, const XML_Char* name, const XML_Char** atts) {
    auto* self = static_cast<ChipDefLoader*>(data);
    if (Is(name, "PRODUCT")) self->Product(atts);
    if (Is(name, "CATEGORY")) self->Category(atts);
    if (Is(name, "REGISTERS")) self->Registers(atts);
    if (Is(name, "REGISTER")) self->Register(atts);
    if (Is(name, "FEATURE")) self->Feature(atts);
    if (Is(name, "FEATUREVALUE")) self->FeatureValue(atts);
  }

  static void XMLCALL End(void* data, const XML_Char* name) {
    if (Is(name, "FEATURE")) static_cast<ChipDefLoader*>(data)->EndFeature();
  }

  // A record is stored only while its table has room; the two passes see the same elements,
  // so the room runs out only for a document that changed in between.
  template <typename Rec>
  Rec* NewRecord(std::vector<Rec>& table, const char* what) {
    if (table.size() >= table.capacity()) {
      M.ChipDefError("CHIPDEF ERROR: Number of %ss exceeded maximum of %ld.\n", what,
                     static_cast<long>(table.capacity()));
      return nullptr;
    }
    return &table.emplace_back();
  }

  void Product(const XML_Char** atts) {
    const long before = static_cast<long>(M.m_Products.size());
    ProductRec* p = NewRecord(M.m_Products, "PRODUCT");
    if (p == nullptr) return;
    for (; *atts != nullptr; atts += 2) {
      const char *a = atts[0], *v = atts[1];
      if (Is(a, "KEYNAME")) p->KeyName = v;
      if (Is(a, "PREFIX")) p->Prefix = v;
      if (Is(a, "NAME")) p->Name = v;
      if (Is(a, "SUFFIX")) p->Suffix = v;
      if (Is(a, "DESC")) p->Desc = v;
      if (Is(a, "VARIANTOF")) p->VariantOf = v;
      if (Is(a, "SPEC")) p->Spec = v;
    }
    if (!p->KeyName) {
      M.ChipDefError("CHIPDEF ERROR: %ldth PRODUCT doesn't have a KEYNAME.\n", before);
    } else if (!p->Name) {
      M.ChipDefError("CHIPDEF ERROR: %s PRODUCT does not have a NAME.\n", p->KeyName->c_str());
    } else if (!p->Desc) {
      M.ChipDefError("CHIPDEF ERROR: %s PRODUCT does not have a DESC.\n", p->KeyName->c_str());
    }
  }

  void Category(const XML_Char** atts) {
    const long before = static_cast<long>(M.m_Categories.size());
    CategoryRec* c = NewRecord(M.m_Categories, "CATEGORY");
    if (c == nullptr) return;
    for (; *atts != nullptr; atts += 2) {
      const char *a = atts[0], *v = atts[1];
      if (Is(a, "KEYNAME")) c->KeyName = v;
      if (Is(a, "NAME")) c->Name = v;
      if (Is(a, "RESERVED")) c->Reserved = v;
      if (Is(a, "PRODUCT")) c->Product = v;
    }
    if (!c->KeyName) {
      M.ChipDefError("CHIPDEF ERROR: %ldth CATEGORY doesn't have a KEYNAME.\n", before);
    } else if (!c->Name) {
      M.ChipDefError("CHIPDEF ERROR: %s CATEGORY does not have a NAME.\n", c->KeyName->c_str());
    }
  }

  void Registers(const XML_Char** atts) {
    M.m_IndexWidth = M.m_ValueWidth = 4;
    for (; *atts != nullptr; atts += 2) {
      if (Is(atts[0], "DEFAULTINDEXWIDTH")) M.m_IndexWidth = Dec(atts[1]);
      if (Is(atts[0], "DEFAULTVALUEWIDTH")) M.m_ValueWidth = Dec(atts[1]);
    }
  }

  void Register(const XML_Char** atts) {
    const long before = static_cast<long>(M.m_Registers.size());
    RegisterRec* r = NewRecord(M.m_Registers, "REGISTER");
    if (r == nullptr) return;
    r->BitWidth = 4 * M.m_ValueWidth;
    for (; *atts != nullptr; atts += 2) {
      const char *a = atts[0], *v = atts[1];
      if (Is(a, "LEXNAME") || Is(a, "KEYNAME")) r->KeyName = v;
      if (Is(a, "NAME") || Is(a, "FULLNAME")) r->Name = v;
      if (Is(a, "DESC")) r->Desc = v;
      if (Is(a, "REG")) r->Index = Hex(v);
      if (Is(a, "REGEND")) r->EndIndex = Hex(v);
      if (Is(a, "REGSTEP")) r->IndexStep = Hex(v);
      if (Is(a, "BITWIDTH")) r->BitWidth = Dec(v);
      if (Is(a, "DEFAULT")) r->Default = Hex(v);
      if (Is(a, "FAKEREG")) r->Fake = true;
      if (Is(a, "ACCESS")) {
        r->ReadOnly = Is(v, "ro");
        r->WriteOnly = Is(v, "wo");
      }
      if (Is(a, "SAFETEST")) r->SafeTest = true;
      if (Is(a, "DATAPORT")) r->DataPort = true;
      if (Is(a, "CATEGORY")) r->Category = v;
      if (Is(a, "RESERVED")) r->Reserved = v;
      if (Is(a, "PRODUCT")) r->Product = v;
    }
    if (!r->KeyName) {
      M.ChipDefError("CHIPDEF ERROR: %ldth REGISTER doesn't have a KEYNAME.\n", before);
    } else if (!r->Name) {
      M.ChipDefError("CHIPDEF ERROR: %s REGISTER does not have a NAME.\n", r->KeyName->c_str());
    }
    if (r->EndIndex == 0 && r->Index != 0) r->EndIndex = r->Index;
    const unsigned long index = r->Index;
    if (r->BitWidth == 0) {
      M.ChipDefError("CHIPDEF ERROR: REG[%04lX] is not assigned a proper BITWIDTH.\n", index);
    }
    // Lookups rely on ascending indexes; the previous record counts whatever its product.
    if (before > 0 && !r->Fake) {
      const uint32_t previous = M.m_Registers[static_cast<size_t>(before) - 1].Index;
      if (r->Index == previous) {
        M.ChipDefError("CHIPDEF ERROR: REG[%04lX] is defined twice.\n", index);
      } else if (r->Index < previous) {
        M.ChipDefError("CHIPDEF ERROR: REG[%04lX] is not sorted in an ascending order.\n", index);
      }
    }
  }

  void Feature(const XML_Char** atts) {
    const long before = static_cast<long>(M.m_Features.size());
    if (M.m_InFeature && before > 0) {
      M.ChipDefError("CHIPDEF ERROR: %s has a child FEATURE.\n",
                     M.m_Features.back().KeyName.c_str());
    }
    FeatureRec* f = NewRecord(M.m_Features, "FEATURE");
    if (f == nullptr) return;
    M.m_InFeature = true;
    M.m_TempFValues.clear();
    MinGiven = MaxGiven = false;
    for (; *atts != nullptr; atts += 2) FeatureAttribute(f, atts[0], atts[1]);
    CheckFeature(f, before);
  }

  void FeatureAttribute(FeatureRec* f, const char* a, const char* v) {
    if (Is(a, "KEYNAME")) {
      if (EqualsNoCase(v, "reserved") && !f->Reserved) {
        f->Reserved = "all";
        f->KeyName.clear();
      } else {
        StoreKeyName(f, v);
      }
    }
    if (Is(a, "NAME") || Is(a, "FULLNAME")) f->Name = v;
    if (Is(a, "DESC")) f->Desc = v;
    if (Is(a, "UNIT")) f->Unit = v;
    if (Is(a, "TYPE")) {
      f->Type = 0;
      for (const auto& t : kTypeNames) {
        if (Is(v, t.Text)) f->Type = t.Type;
      }
      if (f->Type == FT_ADDR) f->Radix = 16;
    }
    if (Is(a, "MIN")) {
      f->Min = Hex(v);
      MinGiven = true;
    }
    if (Is(a, "MAX")) {
      f->Max = Hex(v);
      MaxGiven = true;
    }
    if (Is(a, "OP1")) f->Op1 = v;
    if (Is(a, "OP2")) f->Op2 = v;
    if (Is(a, "STEP")) f->Step = Hex(v);
    if (Is(a, "RADIX") && f->Type != FT_ADDR) {
      if (Is(v, "bin")) f->Radix = 2;
      if (Is(v, "dec")) f->Radix = 10;
      if (Is(v, "hex")) f->Radix = 16;
    }
    if (Is(a, "INVERTED")) f->Inverted = true;
    if (Is(a, "OFFSETOF")) {
      if (Is(v, "sys")) f->OffsetOf = OFFSETOF_SYS;
      if (Is(v, "base")) f->OffsetOf = OFFSETOF_BASE;
      if (Is(v, "disp")) f->OffsetOf = OFFSETOF_DISP;
    }
    if (Is(a, "REG")) {
      if (Is(v, "span")) {
        f->Span = true;
      } else {
        f->Reg = Hex(v);
      }
    }
    if (Is(a, "MASK")) f->Mask = Hex(v);
    if (Is(a, "REGEND")) f->RegEnd = Hex(v);
    if (Is(a, "REGSTEP")) f->RegStep = Hex(v);
    if (Is(a, "ACCESS")) {
      if (Is(v, "ro")) f->ReadOnly = true;
      if (Is(v, "wo")) f->WriteOnly = true;
    }
    if (Is(a, "NEEDCODE")) f->NeedCode = true;
    if (Is(a, "OVERLAP")) f->Overlap = true;
    if (Is(a, "REDRAWPATTERN")) f->RedrawPattern = true;
    if (Is(a, "RESERVED") && !f->Reserved) f->Reserved = v;
    if (Is(a, "PRODUCT")) f->Product = v;
    if (Is(a, "INFLUENCES")) f->Influences = v;
  }

  // The checks and derived data of a FEATURE once its attributes are read.
  void CheckFeature(FeatureRec* f, long before) {
    if (f->KeyName.empty() && f->Reserved) {
      f->KeyName = ReservedName(f->Reg, f->Mask);
      f->Type = FT_NUMB;
    }
    if (f->KeyName.empty()) {
      M.ChipDefError("CHIPDEF ERROR: %ldth FEATURE doesn't have a KEYNAME.\n", before);
    } else if (f->KeyName != "reserved") {
      // One message for every earlier definition of the key.
      for (uint32_t n = KeyCounts[f->KeyName]++; n > 0; n--) {
        M.ChipDefError("CHIPDEF ERROR: %s is defined twice.\n", f->KeyName.c_str());
      }
    }
    if (f->Type == 0)
      M.ChipDefError("CHIPDEF ERROR: %s has an unknown TYPE.\n", f->KeyName.c_str());
    if (f->Type == FT_NUMB || f->Type == FT_ADDR || f->Type == FT_FREQ) {
      if (!MinGiven) f->Min = Transform(*f, 0);
      if (!MaxGiven) f->Max = Transform(*f, ShiftByMask(f->Mask, f->Mask));
    }
    if (f->Type == FT_BOOL) {
      f->Values.resize(2);
      f->Values[0].Value = f->Inverted ? "True" : "False";
      f->Values[1].Index = f->Values[1].ToIndex = 1;
      f->Values[1].Value = f->Inverted ? "False" : "True";
    }
  }

  static uint32_t Transform(const FeatureRec& f, uint32_t value) {
    return ChipDefBase::ApplyOp(ChipDefBase::ApplyOp(value, f.Op1, false), f.Op2, false);
  }

  void FeatureValue(const XML_Char** atts) {
    const char* key = M.m_Features.empty() ? "" : M.m_Features.back().KeyName.c_str();
    if (M.m_Features.empty() || M.m_Features.back().Type != FT_LIST) {
      M.ChipDefError("CHIPDEF ERROR: %s has a FEATUREVALUEs but is not defined as TYPE=\"list\".\n",
                     key);
    }
    if (M.m_TempFValues.size() >= ChipDefBase::MaxFValues) {
      M.ChipDefError("CHIPDEF ERROR: Number of FEATUREVALUEs exceeded maximum of %ld.\n",
                     static_cast<long>(ChipDefBase::MaxFValues));
      return;
    }
    FValueRec& v = M.m_TempFValues.emplace_back();
    for (; *atts != nullptr; atts += 2) {
      const char *a = atts[0], *t = atts[1];
      if (Is(a, "INDEX")) v.Index = Hex(t);
      if (Is(a, "TOINDEX")) v.ToIndex = Hex(t);
      if (Is(a, "VALUE")) v.Value = t;
      if (Is(a, "READVALUE")) v.ReadValue = t;
      if (Is(a, "WRITEVALUE")) v.WriteValue = t;
      if (Is(a, "RESERVED")) v.Reserved = t;
      if (Is(a, "PRODUCT")) v.Product = t;
    }
    if (!v.Value && !v.ReadValue && !v.WriteValue) {
      M.ChipDefError("CHIPDEF ERROR: %s has a FEATUREVALUEs but one of them isn't NAMEd.\n", key);
    }
    if (v.ToIndex < v.Index) v.ToIndex = v.Index;
  }

  void EndFeature() {
    M.m_InFeature = false;
    if (M.m_Features.empty()) return;
    FeatureRec& f = M.m_Features.back();
    if (f.Type == FT_LIST) {
      if (!f.NeedCode && M.m_TempFValues.empty()) {
        M.ChipDefError("CHIPDEF ERROR: %s is missing FEATUREVALUEs.\n", f.KeyName.c_str());
      }
      f.Values.assign(M.m_TempFValues.begin(), M.m_TempFValues.end());
    }
    // Values under a feature that is not a list belong to nothing; they must not reach the next.
    M.m_TempFValues.clear();
  }
};

namespace {

// Feeds every line, the last one flagged as final; false at the first syntax error.
bool FeedLines(XML_Parser parser, const char* const* lines, size_t count, size_t* errorLine) {
  for (size_t i = 0; i < count; i++) {
    const char* line = lines[i] != nullptr ? lines[i] : "";
    if (XML_Parse(parser, line, static_cast<int>(std::strlen(line)), i + 1 == count) ==
        XML_STATUS_ERROR) {
      *errorLine = i + 1;
      return false;
    }
  }
  return true;
}

}  // namespace

void ChipDefBase::LoadChipDef(const char* const* lines, size_t count) {
  if (!m_Products.empty() || !m_Registers.empty() || !m_Features.empty()) return;
  ParserPtr parser(XML_ParserCreate(nullptr));
  if (!parser) CHIPDEF_FATAL("cannot create the XML parser");

  Counts counts;
  XML_SetUserData(parser.get(), &counts);
  XML_SetElementHandler(parser.get(), CountStart, nullptr);
  size_t errorLine = 0;
  FeedLines(parser.get(), lines, count, &errorLine);

  m_Products.reserve(counts.Products);
  m_Categories.reserve(counts.Categories);
  m_Registers.reserve(counts.Registers);
  m_Features.reserve(counts.Features);
  m_TempFValues.reserve(MaxFValues);

  XML_ParserReset(parser.get(), nullptr);
  ChipDefLoader loader{*this};
  XML_SetUserData(parser.get(), &loader);
  XML_SetElementHandler(parser.get(), ChipDefLoader::Start, ChipDefLoader::End);
  if (!FeedLines(parser.get(), lines, count, &errorLine)) {
    // The parser stops at a syntax error; everything after it is missing from the tables.
    ChipDefError("CHIPDEF ERROR: XML syntax error in line %ld.\n", static_cast<long>(errorLine));
  }
  m_TempFValues = std::vector<FValueRec>();
  m_InFeature = false;
  BuildKeyIndex();
}

void ChipDefBase::AssembleSpans() {
  static constexpr const char* kSuffixes[] = {"lsb", "isb", "msb"};
  for (FeatureRec& span : m_Features) {
    if (!span.Span || !IsForProduct(span.Product)) continue;
    uint64_t max = 0;
    int shift = 0;
    for (const char* suffix : kSuffixes) {
      const std::string partName = span.KeyName + suffix;
      uint32_t part = 0;
      if (!FindFeature(partName.c_str(), &part)) {
        if (std::strcmp(suffix, "isb") == 0) continue;
        CHIPDEF_FATAL("span part %s is missing", partName.c_str());
      }
      const uint32_t mask = m_Features[part].Mask;
      int low = 0, high = 0;
      GetMaskRange(mask, &low, &high);
      if (low < 0) continue;  // an empty mask adds no bits
      if (shift < 64) max |= static_cast<uint64_t>(mask >> low) << shift;
      shift += high - low + 1;
    }
    span.Max = ChipDefLoader::Transform(span, static_cast<uint32_t>(max));
    span.Min = ChipDefLoader::Transform(span, 0);
  }
}
