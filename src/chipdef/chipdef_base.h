// The chip model's base: the tables of products, categories, registers and features that the
// loader builds from a chip-definition document, the product filter every lookup applies, and
// the feature lookup with its cache.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct StringList;

// Feature types.
constexpr uint32_t FT_NUMB = 1;
constexpr uint32_t FT_ADDR = 2;
constexpr uint32_t FT_FREQ = 4;
constexpr uint32_t FT_TEXT = 8;
constexpr uint32_t FT_LIST = 16;
constexpr uint32_t FT_BOOL = 32;
constexpr uint32_t FT_SEQU = 64;

// What an address feature is relative to.
constexpr uint32_t OFFSETOF_SYS = 1;
constexpr uint32_t OFFSETOF_BASE = 2;
constexpr uint32_t OFFSETOF_DISP = 4;

// Product title flags.
constexpr uint32_t TITLE_NAME = 1;
constexpr uint32_t TITLE_DESC = 64;
constexpr uint32_t TITLE_PREFIX = 128;
constexpr uint32_t TITLE_SUFFIX = 256;

// A document text: absent, or a private copy of the attribute as written.
using OptText = std::optional<std::string>;

struct ProductRec {
  OptText KeyName, Prefix, Name, Suffix, Desc, VariantOf, Spec;
};

struct CategoryRec {
  OptText KeyName, Name, Reserved, Product;
};

struct RegisterRec {
  OptText KeyName, Name, Desc;
  uint32_t Index = 0, EndIndex = 0, IndexStep = 0, BitWidth = 0, Default = 0;
  bool Fake = false, ReadOnly = false, WriteOnly = false, SafeTest = false;
  OptText Category, Reserved, Product;
};

struct FValueRec {
  uint32_t Index = 0, ToIndex = 0;
  OptText Value, ReadValue, WriteValue, Reserved, Product;
};

// No abbreviation: the key name was written without capitals or hyphens.
constexpr uint32_t kNoAbbrev = 1000;
// Register and mask of a feature that has none.
constexpr uint32_t kAllOnes = 0xFFFFFFFF;

struct FeatureRec {
  std::string KeyName;  // lowercased, hyphens removed; empty when the document gave none
  uint32_t AbbrevLen = kNoAbbrev;
  OptText Name, Desc, Unit;
  uint32_t Type = 0;
  uint32_t Min = 0, Max = 0;
  OptText Op1, Op2;
  uint32_t Step = 1;
  uint32_t Radix = 10;
  bool Inverted = false;
  uint32_t OffsetOf = OFFSETOF_SYS;
  uint32_t Reg = kAllOnes;
  uint32_t Mask = kAllOnes;
  uint32_t RegEnd = 0, RegStep = 0;
  bool Span = false, NeedCode = false, ReadOnly = false, WriteOnly = false, Overlap = false,
       RedrawPattern = false;
  OptText Reserved, Product, Influences;
  std::vector<FValueRec> Values;
};

class ChipDefBase {
 public:
  // Most FEATUREVALUE elements one FEATURE may hold.
  static constexpr uint32_t MaxFValues = 50;
  // Room for loader messages.
  static constexpr size_t kErrDiagnoseSize = 4096;
  // Feature names this long or longer are never found.
  static constexpr size_t kMaxKeyLen = 128;

  virtual ~ChipDefBase();
  ChipDefBase(const ChipDefBase&) = delete;
  ChipDefBase& operator=(const ChipDefBase&) = delete;

  // Parses the document given as count lines (without line ends). Does nothing when products,
  // registers or features are already loaded.
  void LoadChipDef(const char* const* lines, size_t count);

  // "all" selects no product (everything visible); otherwise the product with exactly this key
  // name. False, selection unchanged, when there is none.
  virtual bool SelectProduct(const char* keyName);

  // Completes the limits of every span feature visible for the selected product from its parts.
  void AssembleSpans();

  // The value/operator transform of OP1 and OP2: forward maps a field value to a user value.
  static uint32_t ApplyOp(uint32_t value, const OptText& op, bool backward);

  // True when an element with this product text is visible for the selected product.
  bool IsForProduct(const OptText& product) const;

  // Exact, case-sensitive search of the product key names.
  bool FindProduct(std::string_view keyName, uint32_t* index) const;

  // The selected product's prefix, name, suffix and description as the flags ask (a scratch
  // text valid until 24 further scratch texts have been handed out).
  const char* GetProductTitle(uint32_t flags);

  // Finds the feature of this key (any case) visible for the selected product.
  bool FindFeature(const char* name, uint32_t* index);

  const std::vector<ProductRec>& Products() const { return m_Products; }
  const std::vector<CategoryRec>& Categories() const { return m_Categories; }
  const std::vector<RegisterRec>& Registers() const { return m_Registers; }
  const std::vector<FeatureRec>& Features() const { return m_Features; }
  // The loader's messages, each ending in a line feed; empty when there were none.
  const std::string& ErrDiagnoseBuf() const { return m_ErrDiagnoseBuf; }
  // The selected product, or -1 for none ("all").
  int SelectedProduct() const { return m_SelProduct; }
  uint32_t IndexWidth() const { return m_IndexWidth; }
  uint32_t ValueWidth() const { return m_ValueWidth; }

 protected:
  ChipDefBase();

  uint32_t m_IndexWidth = 4;
  uint32_t m_ValueWidth = 4;
  bool m_fHotHotHot = false;  // live mode: registers are the chip's, not the record's

 private:
  friend struct ChipDefLoader;

  // Appends a loader message (format with its one argument) unless the buffer is nearly full.
  void ChipDefError(const char* format, ...) __attribute__((format(printf, 2, 3)));
  void InvalidateCaches();
  void BuildKeyIndex();

  std::vector<ProductRec> m_Products;
  std::vector<CategoryRec> m_Categories;
  std::vector<RegisterRec> m_Registers;
  std::vector<FeatureRec> m_Features;
  std::vector<FValueRec> m_TempFValues;  // the values of the open FEATURE, while loading
  bool m_InFeature = false;
  std::string m_ErrDiagnoseBuf;
  int m_SelProduct = -1;

  StringList* m_Scratch = nullptr;

  // Feature lookup cache: the index found last and the name exactly as it was asked for.
  bool m_FeatCacheValid = false;
  uint32_t m_FeatCacheIndex = 0;
  char m_FeatCacheName[kMaxKeyLen] = "invalid";
  // Every key's first feature, and for each feature the next one of the same key (kAllOnes:
  // none), so that a lookup visits only the records of its key, in table order.
  std::unordered_map<std::string_view, uint32_t> m_KeyIndex;
  std::vector<uint32_t> m_NextSameKey;
};
