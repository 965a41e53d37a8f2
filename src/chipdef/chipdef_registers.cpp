// Register lookups of the chip model, and register access: the chip itself in live mode, the
// initial register list in cold mode.
#include "chipdef/chipdef_base.h"
#include "chipdef/fatal.h"

namespace {

// The record covers the index: its own index, or one of its run (above it, not past its end,
// at a multiple of its step).
bool Covers(const RegisterRec& r, uint32_t index) {
  if (r.Index == index) return true;
  return index > r.Index && index <= r.EndIndex && r.IndexStep != 0 &&
         (index - r.Index) % r.IndexStep == 0;
}

}  // namespace

bool ChipDefBase::FindRegister(uint32_t index, bool byPosition, const RegisterRec** reg,
                               uint32_t* resolved) {
  if (byPosition && !GetRegListIndex(index, &index)) return false;
  if (m_RegCacheValid && m_RegCacheIndex == index) {
    *reg = &m_Registers[m_RegCacheRecord];
    *resolved = index;
    return true;
  }
  const size_t count = m_Registers.size();
  const size_t from = m_RegCacheValid ? m_RegCacheRecord : 0;
  for (size_t k = 0; k < count; k++) {
    const size_t i = (from + k) % count;
    const RegisterRec& r = m_Registers[i];
    if (!Covers(r, index) || !IsForProduct(r.Product)) continue;
    m_RegCacheValid = true;
    m_RegCacheRecord = static_cast<uint32_t>(i);
    m_RegCacheIndex = index;
    *reg = &r;
    *resolved = index;
    return true;
  }
  return false;
}

bool ChipDefBase::RegisterExists(uint32_t index) {
  const RegisterRec* reg = nullptr;
  uint32_t resolved = 0;
  return FindRegister(index, false, &reg, &resolved);
}

bool ChipDefBase::IsRegReadOnly(uint32_t index) {
  const RegisterRec* reg = nullptr;
  uint32_t resolved = 0;
  return FindRegister(index, false, &reg, &resolved) && reg->ReadOnly;
}

bool ChipDefBase::IsRegWriteOnly(uint32_t index) {
  const RegisterRec* reg = nullptr;
  uint32_t resolved = 0;
  return FindRegister(index, false, &reg, &resolved) && reg->WriteOnly;
}

uint32_t ChipDefBase::GetRegDefault(uint32_t index) {
  const RegisterRec* reg = nullptr;
  uint32_t resolved = 0;
  return FindRegister(index, false, &reg, &resolved) ? reg->Default : 0;
}

uint32_t ChipDefBase::GetRegWidthDigits(uint32_t index) {
  const RegisterRec* reg = nullptr;
  uint32_t resolved = 0;
  return FindRegister(index, false, &reg, &resolved) ? reg->BitWidth / 4 : m_ValueWidth;
}

bool ChipDefBase::GetNthRegister(bool list, uint32_t n, uint32_t* index, bool includeFake) {
  if (list) CHIPDEF_FATAL("the base model has no register list");
  for (const RegisterRec& r : m_Registers) {
    if ((r.Fake && !includeFake) || !IsForProduct(r.Product)) continue;
    if (n-- == 0) {
      *index = r.Index;
      return true;
    }
  }
  return false;
}

uint32_t ChipDefBase::ReadRegister(uint32_t index, bool byPosition) {
  if (m_View != nullptr) {
    if (byPosition && !GetRegListIndex(index, &index)) return 0;
    const auto saved = m_View->find(index);
    return saved != m_View->end() ? saved->second : GetRegDefault(index);
  }
  if (m_fHotHotHot) {
    const RegisterRec* reg = nullptr;
    uint32_t resolved = 0;
    // No register there: nothing on the chip to read.
    if (!FindRegister(index, byPosition, &reg, &resolved)) return 0;
    return ReadRegHot(*reg, resolved);
  }
  if (byPosition) return GetRegListValue(index);
  uint32_t pos = 0;
  if (FindInRegList(index, &pos, false)) return GetRegListValue(pos);
  return GetRegDefault(index);
}

bool ChipDefBase::WriteRegister(uint32_t index, bool byPosition, uint32_t value) {
  if (m_View != nullptr) return false;
  if (m_fHotHotHot) {
    const RegisterRec* reg = nullptr;
    uint32_t resolved = 0;
    if (!FindRegister(index, byPosition, &reg, &resolved)) {
      if (byPosition) CHIPDEF_FATAL("no register at list position %u", index);
      return false;
    }
    return WriteRegHot(*reg, resolved, value);
  }
  uint32_t pos = index;
  if (!byPosition && !FindInRegList(index, &pos, false)) return false;
  return SetRegListValue(pos, value);
}

bool ChipDefBase::IsDataPort(uint32_t index) {
  const RegisterRec* reg = nullptr;
  uint32_t resolved = 0;
  return FindRegister(index, false, &reg, &resolved) && reg->DataPort;
}

std::vector<const FeatureRec*> ChipDefBase::RegisterFields(uint32_t index,
                                                           bool withOverlaps) const {
  std::vector<const FeatureRec*> fields;
  for (const FeatureRec& f : m_Features) {
    if (f.KeyName.empty() || f.Span || f.Reg != index || f.Mask == kAllOnes) continue;
    if ((f.Overlap && !withOverlaps) || !IsForProduct(f.Product)) continue;
    fields.push_back(&f);
  }
  return fields;
}
