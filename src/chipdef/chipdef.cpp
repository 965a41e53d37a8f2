#include "chipdef/chipdef.h"

#include <cstring>
#include <string>

#include "base/helper.h"
#include "base/number_text.h"
#include "chipdef/document.h"
#include "chipdef/fatal.h"
#include "hal/hal.h"

namespace {

// What a program-setting feature maps to.
enum class Code {
  kRecordBase,      // the record's base address
  kRecordRegOff,    // the record's register offset
  kRecordMemOff,    // the record's memory offset
  kRegAddr,         // base address + register offset
  kMemAddr,         // base address + memory offset
  kFlag,            // a flag-word bit, 1 when set
  kFlagClear,       // a flag-word bit, 1 when clear
  kConstant,        // a fixed value
  kClki,            // the record's CLKI frequency
  kClock,           // a clock derived from CLKI through the PLL and the dividers
  kAlias,           // another feature's user value
  kSaddr,           // the host write window start, relative to its bias
  kSaddrBias,       // the bias of the rotation and mirror
  kStride,          // a window stride, derived from its width when auto-stride is on
  kBusField,        // a bit field of a USB information byte
  kMovesSaddrBias,  // a write keeps saddr where it was
  kChipId,
  kChipName,
  kChipDesc,
  kCfgDesc,
  kPanelType,   // the 77Q41 drives RGB panels only
  kDataWidth,   // the panel's data width, from the parallel format or the RGB width
  kDataFormat,  // the panel's colour format, kept in the parallel format
};

struct CodeRow {
  const char* key;
  Code code;
  uint32_t a;         // flag, constant or byte
  uint32_t b;         // field mask
  const char* other;  // alias target, or the stride's auto-stride feature
  const char* width;  // the stride's window width feature
};

constexpr CodeRow kCodeRows[] = {
    {"baseaddr", Code::kRecordBase, 0, 0, nullptr, nullptr},
    {"regoffset", Code::kRecordRegOff, 0, 0, nullptr, nullptr},
    {"memoffset", Code::kRecordMemOff, 0, 0, nullptr, nullptr},
    {"regaddr", Code::kRegAddr, 0, 0, nullptr, nullptr},
    {"memaddr", Code::kMemAddr, 0, 0, nullptr, nullptr},
    {"adapter", Code::kFlag, qvfADAPTER_USB, 0, nullptr, nullptr},
    {"fastcycle", Code::kFlag, qvfFAST_CYCLE, 0, nullptr, nullptr},
    {"burstmemport", Code::kFlag, qvfBURST_MEMPORT, 0, nullptr, nullptr},
    {"regwrite", Code::kFlag, qvfDEBUG_REG_WRITES, 0, nullptr, nullptr},
    {"checkmemstatus", Code::kFlagClear, qvfDONT_CHECK_MEM_STAT, 0, nullptr, nullptr},
    {"checkhwcstatus", Code::kFlagClear, qvfDONT_CHECK_HWC_STAT, 0, nullptr, nullptr},
    {"resetduringinit", Code::kFlagClear, qvfNO_RESET, 0, nullptr, nullptr},
    {"main1autostride", Code::kFlagClear, qvfFIXED_MAIN1STRIDE, 0, nullptr, nullptr},
    {"main2autostride", Code::kFlagClear, qvfFIXED_MAIN2STRIDE, 0, nullptr, nullptr},
    {"pip1autostride", Code::kFlagClear, qvfFIXED_PIP1STRIDE, 0, nullptr, nullptr},
    {"pip2autostride", Code::kFlagClear, qvfFIXED_PIP2STRIDE, 0, nullptr, nullptr},
    {"bufsize", Code::kConstant, 1, 0, nullptr, nullptr},
    {"bpp", Code::kConstant, 16, 0, nullptr, nullptr},
    {"clki", Code::kClki, 0, 0, nullptr, nullptr},
    {"pllclk", Code::kClock, 0, 0, nullptr, nullptr},
    {"inclk", Code::kClock, 0, 0, nullptr, nullptr},
    {"sysclk", Code::kClock, 0, 0, nullptr, nullptr},
    {"pclk", Code::kClock, 0, 0, nullptr, nullptr},
    {"serclk", Code::kClock, 0, 0, nullptr, nullptr},
    {"pllclksrc", Code::kConstant, 0, 0, nullptr, nullptr},
    {"sysclksrc", Code::kConstant, 0, 0, nullptr, nullptr},
    {"pclksrc", Code::kConstant, 0, 0, nullptr, nullptr},
    {"serclksrc", Code::kConstant, 0, 0, nullptr, nullptr},
    {"width", Code::kAlias, 0, 0, "hdp", nullptr},
    {"height", Code::kAlias, 0, 0, "vdp", nullptr},
    {"saddr", Code::kSaddr, 0, 0, nullptr, nullptr},
    {"saddrbias", Code::kSaddrBias, 0, 0, nullptr, nullptr},
    {"main1stride", Code::kStride, 0, 0, "main1autostride", "main1width"},
    {"main2stride", Code::kStride, 0, 0, "main2autostride", "main2width"},
    {"pip1stride", Code::kStride, 0, 0, "pip1autostride", "pip1width"},
    {"pip2stride", Code::kStride, 0, 0, "pip2autostride", "pip2width"},
    {"mgesigtype", Code::kBusField, 0, 0x1C, nullptr, nullptr},
    {"mgesigtype2", Code::kBusField, 0, 0x1C, nullptr, nullptr},
    {"mgedbw", Code::kBusField, 0, 0x60, nullptr, nullptr},
    {"mgedbw2", Code::kBusField, 0, 0x60, nullptr, nullptr},
    {"mgeintpol", Code::kBusField, 0, 0x80, nullptr, nullptr},
    {"mgecs2rd", Code::kBusField, 1, 0x03, nullptr, nullptr},
    {"mgecs2wr", Code::kBusField, 1, 0x0C, nullptr, nullptr},
    {"mgerd2cs", Code::kBusField, 1, 0x30, nullptr, nullptr},
    {"mgewr2cs", Code::kBusField, 1, 0xC0, nullptr, nullptr},
    {"mgerdwait", Code::kBusField, 2, 0x0F, nullptr, nullptr},
    {"mgewrwait", Code::kBusField, 2, 0xF0, nullptr, nullptr},
    {"mgeb2bwait", Code::kBusField, 3, 0x0F, nullptr, nullptr},
    {"mgeb2bcshigh", Code::kBusField, 3, 0x10, nullptr, nullptr},
    {"mgeabw", Code::kBusField, 3, 0x60, nullptr, nullptr},
    {"usbrndbus", Code::kBusField, 4, 0x01, nullptr, nullptr},
    {"mgecfgf", Code::kBusField, 5, 0x30, nullptr, nullptr},
    {"rotate", Code::kMovesSaddrBias, 0, 0, nullptr, nullptr},
    {"rotatelist", Code::kMovesSaddrBias, 0, 0, nullptr, nullptr},
    {"mirror", Code::kMovesSaddrBias, 0, 0, nullptr, nullptr},
    {"memwidth", Code::kMovesSaddrBias, 0, 0, nullptr, nullptr},
    {"memheight", Code::kMovesSaddrBias, 0, 0, nullptr, nullptr},
    {"memstride", Code::kMovesSaddrBias, 0, 0, nullptr, nullptr},
    {"chipid", Code::kChipId, 0, 0, nullptr, nullptr},
    {"chipname", Code::kChipName, 0, 0, nullptr, nullptr},
    {"chipdesc", Code::kChipDesc, 0, 0, nullptr, nullptr},
    {"cfgdesc", Code::kCfgDesc, 0, 0, nullptr, nullptr},
    {"paneltype", Code::kPanelType, 0, 0, nullptr, nullptr},
    {"datawidth", Code::kDataWidth, 0, 0, nullptr, nullptr},
    {"dataformat", Code::kDataFormat, 0, 0, nullptr, nullptr},
};

constexpr uint32_t kSeqEntries = kPanelSequenceEntries;
constexpr uint16_t kRegListMarker = 0xFFFE;
// The pool stores an entry's number plus one in a byte.
constexpr uint32_t kMaxTextEntry = 254;

uint32_t FieldOf(uint32_t byte, uint32_t mask) {
  return ShiftByMask(byte & mask, mask);
}

}  // namespace

ChipDef& ChipModel() {
  static ChipDef model;
  return model;
}

uint32_t ChipDef::DisplayMemorySize() {
  return (GetMax("main1saddr") | 1) + 1;
}

ChipDef::ChipDef() : m_Record(std::make_unique<QvHclData>(qvHclData)) {
  m_IndexWidth = 4;
  LoadChipDef(kChipDefLines, kChipDefLineCount);
  while (m_RegListCount < kRegisterTableEntries &&
         m_Record->regTable[m_RegListCount].index != kRegTableEnd) {
    m_RegListCount++;
  }
  const std::string chip(m_Record->chipId, strnlen(m_Record->chipId, sizeof m_Record->chipId));
  if (!SelectProduct(chip.c_str())) CHIPDEF_FATAL("product %s is not defined", chip.c_str());
  AssembleSpans();
  CompactRegList();
}

bool ChipDef::SelectProduct(const char* keyName) {
  if (!ChipDefBase::SelectProduct(keyName)) return false;
  std::memset(m_Record->chipId, 0, sizeof m_Record->chipId);
  std::memcpy(m_Record->chipId, keyName, strnlen(keyName, sizeof m_Record->chipId - 1));
  return true;
}

void ChipDef::CompactRegList() {
  uint32_t kept = 0;
  for (uint32_t i = 0; i < m_RegListCount; i++) {
    const HclRegPair pair = m_Record->regTable[i];
    if (RegisterExists(pair.index)) m_Record->regTable[kept++] = pair;
  }
  for (uint32_t i = kept; i < kRegisterTableEntries; i++) m_Record->regTable[i] = {0, 0};
  if (kept < kRegisterTableEntries) m_Record->regTable[kept] = {kRegTableEnd, 0};
  m_RegListCount = kept;
}

int ChipDef::CodeFeature(const char* name) {
  if (!Feature(name).NeedCode) return -1;
  for (size_t i = 0; i < std::size(kCodeRows); i++) {
    if (std::strcmp(kCodeRows[i].key, name) == 0) return static_cast<int>(i);
  }
  return -1;
}

// ---- code features ----

namespace {

// The bias that makes saddr name the first pixel of the rotated and mirrored window, in bytes.
uint32_t SaddrBias(ChipDef& m) {
  const uint32_t bytes = m.GetValue("bpp") / 8;
  const uint32_t w = m.GetValue("memwidth"), h = m.GetValue("memheight");
  const uint32_t stride = m.GetValue("memstride");
  const bool mirrored = m.GetFieldValue("mirror") != 0;
  switch (m.GetValue("rotate")) {
    case 90:
      return mirrored ? 0 : h * bytes - bytes;
    case 180:
      return mirrored ? (h - 1) * stride : stride * h - bytes;
    case 270:
      return mirrored ? stride * w - bytes : (w - 1) * stride;
    default:
      return mirrored ? w * bytes - bytes : 0;
  }
}

}  // namespace

uint32_t ChipDef::GetFieldValue(const char* name) {
  const int row = CodeFeature(name);
  if (row < 0) return ChipDefBase::GetFieldValue(name);
  const CodeRow& c = kCodeRows[row];
  const QvHclData& r = *m_Record;
  switch (c.code) {
    case Code::kRecordBase:
      return r.physBase;
    case Code::kRecordRegOff:
      return r.regOffset;
    case Code::kRecordMemOff:
      return r.memOffset;
    case Code::kRegAddr:
      return r.physBase + r.regOffset;
    case Code::kMemAddr:
      return r.physBase + r.memOffset;
    case Code::kFlag:
      return (r.hclFlags & c.a) != 0 ? 1 : 0;
    case Code::kFlagClear:
      return (r.hclFlags & c.a) != 0 ? 0 : 1;
    case Code::kConstant:
      return c.a;
    case Code::kClki:
      return r.clki;
    case Code::kClock:
      return ClockHz(c.key);
    case Code::kAlias:
      return GetValue(c.other);
    case Code::kSaddrBias:
      return SaddrBias(*this);
    case Code::kBusField:
      return FieldOf(r.usbInfo[c.a], c.b);
    case Code::kPanelType:
      return 0;  // Mode 1 (LCD=RGB)
    case Code::kDataWidth:
      return DataWidth();
    case Code::kDataFormat:
      return 0;  // nothing maps it to the record or the chip: a field of no register
    default:
      return ChipDefBase::GetFieldValue(name);
  }
}

bool ChipDef::SetFieldValue(const char* name, uint32_t raw) {
  const int row = CodeFeature(name);
  if (row < 0) return ChipDefBase::SetFieldValue(name, raw);
  const CodeRow& c = kCodeRows[row];
  QvHclData& r = *m_Record;
  switch (c.code) {
    case Code::kRecordBase:
      r.physBase = raw;
      return true;
    case Code::kRecordRegOff:
      r.regOffset = raw;
      return true;
    case Code::kRecordMemOff:
      r.memOffset = raw;
      return true;
    case Code::kFlag:
    case Code::kFlagClear: {
      if (raw > 1) return false;
      const bool set = (raw == 1) == (c.code == Code::kFlag);
      r.hclFlags = set ? r.hclFlags | c.a : r.hclFlags & ~c.a;
      return true;
    }
    case Code::kClki:
      return SetClki(raw);
    case Code::kClock:
      if (c.key == std::string_view("pllclk")) return SetPllClock(raw);
      return Refuse("%s follows its source clock and divider: set those instead.", c.key);
    case Code::kAlias:
      return SetValue(c.other, raw);
    case Code::kBusField: {
      int low = 0, high = 0;
      GetMaskRange(c.b, &low, &high);
      const uint32_t bits = (raw << low) & c.b;
      r.usbInfo[c.a] = static_cast<uint8_t>((r.usbInfo[c.a] & ~c.b) | bits);
      return true;
    }
    case Code::kPanelType:
      return raw == 0 || Refuse("The %s drives RGB panels only.", GetProductTitle(TITLE_NAME));
    case Code::kDataWidth:
      return SetDataWidth(raw);
    case Code::kDataFormat:
      return SetDataFormat(raw);
    case Code::kMovesSaddrBias: {
      const uint32_t saddr = GetValue("saddr");
      const bool stored = ChipDefBase::SetFieldValue(name, raw);
      SetValue("saddr", saddr);
      return stored;
    }
    case Code::kRegAddr:
    case Code::kMemAddr:
    case Code::kConstant:
    case Code::kSaddrBias:
      return false;  // derived values: nothing to store
    default:
      return ChipDefBase::SetFieldValue(name, raw);
  }
}

uint32_t ChipDef::GetValue(const char* name) {
  const int row = CodeFeature(name);
  if (row < 0) return ChipDefBase::GetValue(name);
  const CodeRow& c = kCodeRows[row];
  if (c.code == Code::kSaddr) {
    const FeatureRec& f = Feature(name);
    return ApplyOp(GetFieldValue(name), f.Op1, false) - GetValue("saddrbias");
  }
  if (c.code == Code::kStride && GetFieldValue(c.other) != 0) {
    const uint32_t stride = (GetValue(c.width) * GetValue("bpp") + 7) / 8;
    if (stride != ChipDefBase::GetValue(name)) ChipDefBase::SetValue(name, stride);
    return stride;
  }
  return ChipDefBase::GetValue(name);
}

uint32_t ChipDef::GetMin(const char* name) {
  const int row = CodeFeature(name);
  uint32_t min = 0, max = 0;
  if (row >= 0 && OwnClockLimits(kCodeRows[row].key, &min, &max)) return min;
  return ChipDefBase::GetMin(name);
}

uint32_t ChipDef::GetMax(const char* name) {
  const int row = CodeFeature(name);
  uint32_t min = 0, max = 0;
  if (row >= 0 && OwnClockLimits(kCodeRows[row].key, &min, &max)) return max;
  return ChipDefBase::GetMax(name);
}

bool ChipDef::SetValue(const char* name, uint32_t value) {
  const int row = CodeFeature(name);
  if (row < 0 || kCodeRows[row].code != Code::kSaddr) return ChipDefBase::SetValue(name, value);
  const FeatureRec& f = Feature(name);
  const uint64_t wanted = uint64_t{GetValue("saddrbias")} + value;
  const bool clamped = wanted > f.Max;
  uint32_t address = clamped ? f.Max : static_cast<uint32_t>(wanted);
  const uint32_t bpp = GetValue("bpp");
  if (bpp == 16 || bpp == 32) address -= address % (bpp / 8);
  return SetFieldValue(name, ApplyOp(address, f.Op1, true)) && !clamped;
}

const char* ChipDef::GetValueText(const char* name, bool asRead) {
  const int row = CodeFeature(name);
  if (row < 0) return ChipDefBase::GetValueText(name, asRead);
  switch (kCodeRows[row].code) {
    case Code::kChipId:
      return GetProductTitle(TITLE_NAME);
    case Code::kChipName:
      return GetProductTitle(TITLE_PREFIX | TITLE_NAME | TITLE_SUFFIX);
    case Code::kChipDesc:
      return GetProductTitle(TITLE_DESC);
    case Code::kCfgDesc:
      return ScratchText(std::string_view(
          m_Record->description, strnlen(m_Record->description, sizeof m_Record->description)));
    case Code::kSaddr: {
      char digits[kNumStrSize];
      std::string text = ChipDefBase::GetValueText(name, asRead);
      text += " + bias of ";
      text += NumToStr(digits, GetValue("saddrbias"), 16, 0);
      text += "h";
      return ScratchText(text);
    }
    default:
      return ChipDefBase::GetValueText(name, asRead);
  }
}

bool ChipDef::SetValueText(const char* name, const char* text) {
  const int row = CodeFeature(name);
  if (row < 0) return ChipDefBase::SetValueText(name, text);
  switch (kCodeRows[row].code) {
    case Code::kCfgDesc: {
      // The description field keeps its terminator: a longer text is cut.
      if (text == nullptr) return false;
      char* out = m_Record->description;
      const size_t n = strnlen(text, sizeof m_Record->description - 1);
      std::memset(out, 0, sizeof m_Record->description);
      std::memcpy(out, text, n);
      return true;
    }
    case Code::kChipId:
    case Code::kChipName:
    case Code::kChipDesc:
      return false;  // the product's own texts
    default:
      return ChipDefBase::SetValueText(name, text);
  }
}

// ---- the LCD sequence and its text pool ----

bool ChipDef::IsSequence(const char* name) {
  const FeatureRec& f = Feature(name);
  return f.NeedCode && f.KeyName == "lcdseq";
}

namespace {

// Pool records: the entry number plus one, the text, a zero byte; two zero bytes end the pool.
struct Pool {
  char* bytes;
  static constexpr size_t kSize = sizeof(QvHclData::lcdStrings);

  // The record of entry n, or kSize; end receives the offset of the pool's end.
  size_t Find(uint32_t n, size_t* end) const {
    size_t pos = 0, found = kSize;
    while (pos < kSize && bytes[pos] != 0) {
      if (static_cast<uint8_t>(bytes[pos]) == n + 1 && found == kSize) found = pos;
      pos = Next(pos);
    }
    *end = pos < kSize ? pos : kSize;
    return found;
  }
  size_t Next(size_t pos) const {
    if (pos + 1 >= kSize) return kSize;
    const size_t len = strnlen(bytes + pos + 1, kSize - pos - 1);
    return pos + len + 2;
  }
  void Remove(uint32_t n) {
    size_t end = 0;
    const size_t at = Find(n, &end);
    if (at == kSize) return;
    const size_t next = Next(at);
    const size_t tail = next < kSize ? kSize - next : 0;
    std::memmove(bytes + at, bytes + next, tail);
    std::memset(bytes + at + tail, 0, kSize - at - tail);
  }
  // False when the record and the closing zero do not fit.
  bool Append(uint32_t n, std::string_view text) {
    size_t end = 0;
    Find(n, &end);
    if (end + text.size() + 3 > kSize) return false;
    bytes[end] = static_cast<char>(n + 1);
    std::memcpy(bytes + end + 1, text.data(), text.size());
    bytes[end + 1 + text.size()] = 0;
    bytes[end + 2 + text.size()] = 0;
    return true;
  }
  const char* Text(uint32_t n) const {
    size_t end = 0;
    const size_t at = Find(n, &end);
    return at == kSize ? nullptr : bytes + at + 1;
  }
};

}  // namespace

bool ChipDef::GetSeqEntry(const char* name, uint32_t n, uint32_t* kind, uint32_t* number,
                          const char** text) {
  if (!IsSequence(name) || n >= kSeqEntries) return false;
  const uint32_t entry = m_Record->panelSequence[n];
  if (entry == 0) return false;
  *kind = entry & 0xF0000000;
  *number = entry & 0x0FFFFFFF;
  const char* stored = Pool{m_Record->lcdStrings}.Text(n);
  *text = stored ? ScratchText(stored) : nullptr;
  return true;
}

bool ChipDef::SetSeqEntry(const char* name, uint32_t n, uint32_t kind, uint32_t number,
                          const char* text) {
  if (!IsSequence(name) || n >= kSeqEntries) return false;
  m_Record->panelSequence[n] = kind + number;
  return SetSeqText(n, text);
}

bool ChipDef::SetSeqText(uint32_t n, const char* text) {
  Pool pool{m_Record->lcdStrings};
  pool.Remove(n);
  if (text == nullptr || text[0] == '\0') return true;
  // An entry the pool cannot number, or a pool without room, keeps no text.
  if (n >= kMaxTextEntry) {
    return Refuse("LCD sequence entry %u cannot carry a text; entries 0 to %u can.", n,
                  kMaxTextEntry - 1);
  }
  if (!pool.Append(n, text)) {
    return Refuse("The text of LCD sequence entry %u does not fit in the %zu-byte text pool.", n,
                  Pool::kSize);
  }
  return true;
}

uint32_t ChipDef::GetSeqCapacity(const char* name) {
  return IsSequence(name) ? kSeqEntries : 0;
}

uint32_t ChipDef::GetSeqLength(const char* name) {
  if (!IsSequence(name)) return 0;
  uint32_t n = 0;
  while (n < kSeqEntries && m_Record->panelSequence[n] != 0) n++;
  return n;
}

bool ChipDef::SetSeqLength(const char* name, uint32_t n) {
  if (!IsSequence(name) || n > kSeqEntries) return false;
  for (uint32_t i = n; i < kSeqEntries; i++) {
    // Texts of cleared entries would only fill the pool.
    if (m_Record->panelSequence[i] != 0 && i < kMaxTextEntry) SetSeqText(i, nullptr);
    m_Record->panelSequence[i] = 0;
  }
  return true;
}

// ---- registers ----

bool ChipDef::GetNthRegister(bool list, uint32_t n, uint32_t* index, bool includeFake) {
  if (!list) return ChipDefBase::GetNthRegister(false, n, index, includeFake);
  return GetRegListIndex(n, index);
}

uint32_t ChipDef::ReadRegHot(const RegisterRec& reg, uint32_t index) {
  switch (reg.BitWidth) {
    case 8:
      return qvReadReg8(index);
    case 16:
      return qvReadReg16(index);
    case 32:
      return qvReadReg32(index);
    default:
      CHIPDEF_FATAL("register %04X has an unsupported width of %u bits", index, reg.BitWidth);
  }
}

bool ChipDef::WriteRegHot(const RegisterRec& reg, uint32_t index, uint32_t value) {
  switch (reg.BitWidth) {
    case 8:
      qvWriteReg8(index, value);
      return true;
    case 16:
      qvWriteReg16(index, value);
      return true;
    case 32:
      qvWriteReg32(index, value);
      return true;
    default:
      CHIPDEF_FATAL("register %04X has an unsupported width of %u bits", index, reg.BitWidth);
  }
}

uint32_t ChipDef::GetRegListValue(uint32_t pos) {
  return pos < m_RegListCount ? m_Record->regTable[pos].value : 0;
}

bool ChipDef::SetRegListValue(uint32_t pos, uint32_t value) {
  if (pos >= m_RegListCount) return false;
  m_Record->regTable[pos].value = static_cast<uint16_t>(value);
  return true;
}

bool ChipDef::FindInRegList(uint32_t index, uint32_t* pos, bool stopAtMarker) {
  bool found = false;
  for (uint32_t i = 0; i < m_RegListCount; i++) {
    const uint16_t at = m_Record->regTable[i].index;
    if (found && stopAtMarker && at == kRegListMarker) break;
    if (at == index) {
      *pos = i;
      found = true;
    }
  }
  return found;
}

bool ChipDef::GetRegListIndex(uint32_t pos, uint32_t* index) {
  if (pos >= m_RegListCount) return false;
  *index = m_Record->regTable[pos].index;
  return true;
}
