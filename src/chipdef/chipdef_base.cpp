#include "chipdef/chipdef_base.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "base/helper.h"
#include "base/string_list.h"
#include "chipdef/fatal.h"

namespace {

constexpr size_t kScratchCount = 24;
// Room a message may take beyond its format text.
constexpr size_t kMessageSlack = 256;

bool Contains(const std::string& text, const OptText& part) {
  return part && text.find(*part) != std::string::npos;
}

}  // namespace

ChipDefBase::ChipDefBase() : m_Scratch(CreateStringList(kScratchCount, kScratchSize)) {}

ChipDefBase::~ChipDefBase() {
  if (m_Scratch != nullptr) DeleteStringList(m_Scratch);
}

void ChipDefBase::ChipDefError(const char* format, ...) {
  if (std::strlen(format) + m_ErrDiagnoseBuf.size() + kMessageSlack >= kErrDiagnoseSize) return;
  if (m_ErrDiagnoseBuf.capacity() < kErrDiagnoseSize) m_ErrDiagnoseBuf.reserve(kErrDiagnoseSize);
  char message[kErrDiagnoseSize];
  va_list args;
  va_start(args, format);
  std::vsnprintf(message, sizeof message, format, args);
  va_end(args);
  m_ErrDiagnoseBuf += message;
}

void ChipDefBase::InvalidateCaches() {
  m_FeatCacheValid = false;
  m_FeatCacheIndex = 0;
  m_RegCacheValid = false;
  m_RegCacheRecord = 0;
  m_NthValid = false;
}

bool ChipDefBase::SelectProduct(const char* keyName) {
  if (keyName == nullptr) return false;
  if (std::strcmp(keyName, "all") == 0) {
    m_SelProduct = -1;
  } else {
    uint32_t index = 0;
    if (!FindProduct(keyName, &index)) return false;
    m_SelProduct = static_cast<int>(index);
  }
  // A cached lookup was resolved for the old product; the same key may now mean another record.
  InvalidateCaches();
  return true;
}

uint32_t ChipDefBase::ApplyOp(uint32_t value, const OptText& op, bool backward) {
  if (!op) return value;
  if (op->empty()) CHIPDEF_FATAL("empty operator");
  const char kind = (*op)[0];
  if (kind == 'e') {
    if (!backward) return value < 32 ? 1u << value : 0;
    uint32_t top = 0;
    while (value >>= 1) top++;
    return top;
  }
  if (kind == 'm') {
    if (!backward) return value == 0 ? 1 : value;
    return value == 1 ? 0 : value;
  }
  const uint32_t n = static_cast<uint32_t>(std::strtoul(op->c_str() + 1, nullptr, 10));
  const bool divides = (kind == '*' && backward) || (kind == '/' && !backward);
  if (divides && n == 0) CHIPDEF_FATAL("operator \"%s\" divides by 0", op->c_str());
  switch (kind) {
    case '*':
      return backward ? value / n : value * n;
    case '/':
      return backward ? value * n : value / n;
    case '+':
      return backward ? value - n : value + n;
    case '-':
      return backward ? value + n : value - n;
    default:
      CHIPDEF_FATAL("unknown operator \"%s\"", op->c_str());
  }
}

bool ChipDefBase::IsForProduct(const OptText& product) const {
  if (m_SelProduct < 0 || !product || *product == "all") return true;
  const ProductRec& selected = m_Products[static_cast<size_t>(m_SelProduct)];
  if (Contains(*product, selected.KeyName) || Contains(*product, selected.VariantOf)) return true;
  // A product named in the text that is a variant of the selected one admits it too.
  for (const ProductRec& p : m_Products) {
    if (Contains(*product, p.KeyName) && p.VariantOf && selected.KeyName &&
        *p.VariantOf == *selected.KeyName) {
      return true;
    }
  }
  return false;
}

bool ChipDefBase::FindProduct(std::string_view keyName, uint32_t* index) const {
  for (size_t i = 0; i < m_Products.size(); i++) {
    if (m_Products[i].KeyName && *m_Products[i].KeyName == keyName) {
      *index = static_cast<uint32_t>(i);
      return true;
    }
  }
  return false;
}

const char* ChipDefBase::GetProductTitle(uint32_t flags) {
  char* out = GetStr(m_Scratch);
  const size_t size = GetStrSize(m_Scratch, out);
  if (m_SelProduct < 0) {
    std::snprintf(out, size, "<A Product Was Not Selected>");
    return out;
  }
  const ProductRec& p = m_Products[static_cast<size_t>(m_SelProduct)];
  std::string title;
  if ((flags & TITLE_PREFIX) && p.Prefix) title += *p.Prefix;
  if ((flags & TITLE_NAME) && p.Name) title += *p.Name;
  if ((flags & TITLE_SUFFIX) && p.Suffix) title += *p.Suffix;
  if ((flags & TITLE_DESC) && p.Desc) title += " " + *p.Desc;
  std::snprintf(out, size, "%s", title.c_str());
  return out;
}

bool ChipDefBase::FindFeature(const char* name, uint32_t* index) {
  if (name == nullptr || name[0] == '\0') return false;
  const size_t len = strnlen(name, kMaxKeyLen);
  if (len >= kMaxKeyLen || m_Features.empty()) return false;
  if (m_FeatCacheValid && std::strcmp(name, m_FeatCacheName) == 0) {
    *index = m_FeatCacheIndex;
    return true;
  }
  char lower[kMaxKeyLen];
  for (size_t i = 0; i <= len; i++) {
    const char c = name[i];
    lower[i] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  }
  const auto first = m_KeyIndex.find(std::string_view(lower, len));
  if (first == m_KeyIndex.end()) return false;
  // The first visible record from the feature found last to the end, else from the start.
  uint32_t found = kAllOnes;
  for (uint32_t i = first->second; i != kAllOnes; i = m_NextSameKey[i]) {
    if (!IsForProduct(m_Features[i].Product)) continue;
    if (i >= m_FeatCacheIndex) {
      found = i;
      break;
    }
    if (found == kAllOnes) found = i;
  }
  if (found != kAllOnes) {
    m_FeatCacheIndex = found;
    std::memcpy(m_FeatCacheName, name, len + 1);
    m_FeatCacheValid = true;
    *index = found;
    return true;
  }
  return false;
}

void ChipDefBase::BuildKeyIndex() {
  m_KeyIndex.clear();
  m_KeyIndex.reserve(m_Features.size());
  m_NextSameKey.assign(m_Features.size(), kAllOnes);
  for (size_t i = m_Features.size(); i-- > 0;) {
    std::string key = m_Features[i].KeyName;
    if (key.empty()) continue;
    LowerInPlace(key.data());
    auto [slot, added] = m_KeyIndex.try_emplace(std::move(key), static_cast<uint32_t>(i));
    if (!added) {
      m_NextSameKey[i] = slot->second;
      slot->second = static_cast<uint32_t>(i);
    }
  }
}
