// The chip model's base: the tables of products, categories, registers and features that the
// loader builds from a chip-definition document, the product filter every lookup applies, and
// the feature lookup with its cache.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
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

// What a feature or register label shows; the flags combine.
constexpr uint32_t LABEL_NAME = 1;        // the name ("Pixel Clock Divide Select")
constexpr uint32_t LABEL_LOCATION = 2;    // where it lives, in parentheses after a name
constexpr uint32_t LABEL_BITS = 4;        // features: the field's bits instead of the location
constexpr uint32_t LABEL_ATTRIBUTES = 8;  // "[READONLY,RESERVED]"
constexpr uint32_t LABEL_SHORT = 16;      // "REG[0030h-b4:0]", "[RO]"
constexpr uint32_t LABEL_SYMBOL = 32;     // a symbol name alone ("FEATURE_PCLKDIV")

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
  // Every read moves the chip on (an address or counter advances): listings leave it unread.
  bool DataPort = false;

  // Whether reading the register tells something without harm: a write-only register reads back
  // nothing it was given, a data port moves on when read, and a program setting is not on the chip.
  bool Readable() const { return !WriteOnly && !DataPort && !Fake; }
};

struct FValueRec {
  uint32_t Index = 0, ToIndex = 0;
  OptText Value, ReadValue, WriteValue, Reserved, Product;
};

// Register values by index: a saved set-up that the model can read in place of the chip.
using RegisterFile = std::map<uint32_t, uint32_t>;

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
  // The size of a returned text, unless it needs more.
  static constexpr size_t kScratchSize = 1024;
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

  // ---- the virtual operations, in their slot order ----
  // A feature name that does not resolve is a fatal internal error in all of them.

  // The status overview and the memory map of the clock and memory-map views.
  virtual const char* ShowConfiguration(const char* prefix) = 0;
  virtual bool GetMemoryMapEntry(uint32_t view, uint32_t n, const char** name, uint32_t* start,
                                 uint32_t* end) = 0;
  // The n-th visible register record's index (fake records only when asked); the list form,
  // which walks the initial register list instead, belongs to the concrete model.
  virtual bool GetNthRegister(bool list, uint32_t n, uint32_t* index, bool includeFake);
  // The raw field, and storing one (false when it does not fit or the write fails).
  virtual uint32_t GetFieldValue(const char* name);
  virtual bool SetFieldValue(const char* name, uint32_t raw);
  // The value as text (a scratch text), and parsing and storing one.
  virtual const char* GetValueText(const char* name, bool asRead);
  virtual bool SetValueText(const char* name, const char* text);
  // The value in user units, its limits and step, and storing one (false when clamped).
  virtual uint32_t GetValue(const char* name);
  virtual uint32_t GetMin(const char* name);
  virtual uint32_t GetMax(const char* name);
  virtual uint32_t GetStep(const char* name);
  virtual bool SetValue(const char* name, uint32_t value);
  // Sequence features: entry n as kind (top four bits), number (low 28 bits) and text.
  virtual bool GetSeqEntry(const char* name, uint32_t n, uint32_t* kind, uint32_t* number,
                           const char** text);
  virtual bool SetSeqEntry(const char* name, uint32_t n, uint32_t kind, uint32_t number,
                           const char* text);
  virtual uint32_t GetSeqCapacity(const char* name);
  virtual uint32_t GetSeqLength(const char* name);
  virtual bool SetSeqLength(const char* name, uint32_t n);
  // Kept so that the slots after it keep their places; nothing calls it.
  virtual void ReservedSlot1() = 0;
  // Chip rules and reserved settings; both write a report and return its length.
  virtual size_t Diagnose(char* buffer, size_t size) = 0;
  virtual size_t DiagnoseReserved(char* buffer, size_t size);
  // Kept so that the slots after it keep their places; nothing calls it.
  virtual void ReservedSlot2() = 0;
  virtual void NoEffect() = 0;
  // Register access on the chip, with the record's bit width.
  virtual uint32_t ReadRegHot(const RegisterRec& reg, uint32_t index) = 0;
  virtual bool WriteRegHot(const RegisterRec& reg, uint32_t index, uint32_t value) = 0;
  // The initial register list of cold mode, by list position.
  virtual uint32_t GetRegListValue(uint32_t pos) = 0;
  virtual bool SetRegListValue(uint32_t pos, uint32_t value) = 0;
  // The position of the last entry of this index (with stopAtMarker, the scan ends at the
  // first FFFE entry after a match); false, position unchanged, when absent.
  virtual bool FindInRegList(uint32_t index, uint32_t* pos, bool stopAtMarker) = 0;
  virtual bool GetRegListIndex(uint32_t pos, uint32_t* index) = 0;

  // ---- features ----
  // Found and visible for the selected product.
  bool FeatureExists(const char* name);
  // The key of the n-th feature visible for the product, in document order.
  bool GetNthFeature(uint32_t n, const char** keyName);
  uint32_t GetRadix(const char* name);
  uint32_t GetType(const char* name);
  bool IsReadOnly(const char* name);
  bool IsWriteOnly(const char* name);
  const char* GetUnit(const char* name);
  bool IsFeatureReserved(const char* name);
  // The position of the n-th value entry visible for the product; false past the end.
  bool GetNthValue(const char* name, uint32_t n, uint32_t* entry);
  // The first entry covering the field value, product not considered.
  bool FindValueByIndex(const char* name, uint32_t field, uint32_t* entry);
  // A hexadecimal number an entry covers, else the first entry named so (with or without the
  // feature's unit).
  bool FindValueByText(const char* name, const char* text, uint32_t* entry);
  // The key of the first plain feature that holds this bit of the register; nullptr for none.
  const char* FeatureAtBit(uint32_t regIndex, uint32_t bit);
  // A span part's name split into its span and its suffix in capitals ("LSB").
  static bool SplitPartName(const char* name, std::string* span, std::string* suffix);

  // ---- registers ----
  // The record covering the index (or, by position, the initial list entry's index).
  bool FindRegister(uint32_t index, bool byPosition, const RegisterRec** reg, uint32_t* resolved);
  bool RegisterExists(uint32_t index);
  bool IsRegReadOnly(uint32_t index);
  bool IsRegWriteOnly(uint32_t index);
  uint32_t GetRegDefault(uint32_t index);
  uint32_t GetRegWidthDigits(uint32_t index);
  uint32_t GetIndexWidth() const { return m_IndexWidth; }
  // The chip's register in live mode, the initial register list in cold mode.
  uint32_t ReadRegister(uint32_t index, bool byPosition);
  bool WriteRegister(uint32_t index, bool byPosition, uint32_t value);

  // A data port: reading it moves the chip on, so pictures and listings must not read it.
  bool IsDataPort(uint32_t index);
  // Whether the feature's field can be read without harm: not write-only, not in a write-only
  // register or a data port.
  bool FieldReadable(const FeatureRec& f);

  // While a file is viewed, registers are read from it instead of the chip or the record (an
  // index it lacks reads as the register's default) and writes are refused, so decoding a saved
  // set-up never touches the board. Null ends the view.
  void ViewRegisterFile(const RegisterFile* file) { m_View = file; }

  // The fields of a register: the features visible for the product in it with a mask of their
  // own, in document order; OVERLAP features (another view of bits already named) only when asked.
  std::vector<const FeatureRec*> RegisterFields(uint32_t index, bool withOverlaps) const;

  // ---- texts for the engineer (chipdef_labels.cpp, chipdef_pictures.cpp) ----
  // One-line labels (scratch texts); the flags are the LABEL_ ones. An index that no register
  // covers gives "UNKNOWN".
  const char* FeatureLabel(const char* name, uint32_t flags);
  const char* RegisterLabel(uint32_t index, bool byPosition, uint32_t flags);
  // The feature's description: its DESC, else for a span part the text naming its place in the
  // span, else empty.
  const char* SpanPartText(const char* name);
  // Appends the register's bit picture (brief: one line per field with its value). Every line
  // starts with prefix; lines are separated by lineEnd; columns is the console width.
  void RegisterPicture(uint32_t index, std::string* out, bool byPosition, std::string_view prefix,
                       std::string_view lineEnd, uint32_t columns, bool brief);
  // Writes the feature's description: label, text, formula, value and possible values. With
  // overlapColumn every line starts with a 20-column margin holding the field's bits.
  void FeatureDescription(const char* name, std::string* out, std::string_view prefix,
                          std::string_view lineEnd, bool overlapColumn, uint32_t columns);
  // The warning about bits of a register that no feature describes ("WARNING: REG[0014h] bits
  // 4:3, 8 should not be set (should be zero).\n"); empty when bits is 0.
  std::string StrayBitWarning(uint32_t index, uint32_t bits) const;

  // Live mode: registers are read from and written to the chip.
  void SetLive(bool live) { m_fHotHotHot = live; }
  bool IsLive() const { return m_fHotHotHot; }

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

  // The feature of this name; an unknown name is a fatal internal error.
  const FeatureRec& Feature(const char* name);
  // A text of the scratch ring.
  char* Scratch();
  // A scratch copy of a text, cut to the scratch size.
  const char* ScratchText(std::string_view text);
  // The sequence as text, and storing one from text.
  const char* SequenceText(const char* name);
  bool StoreSequence(const char* name, const char* text);

  uint32_t m_IndexWidth = 4;
  uint32_t m_ValueWidth = 4;
  bool m_fHotHotHot = false;             // live mode: registers are the chip's, not the record's
  const RegisterFile* m_View = nullptr;  // when set, registers are read from it

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
  // The index holds the keys in lower case: a generated reserved name keeps the capitals of its
  // hexadecimal register index ("rsvd26Eb12"), and lookups ignore case.
  struct KeyHash {
    using is_transparent = void;  // found by a string_view, without a copy of the name
    size_t operator()(std::string_view key) const { return std::hash<std::string_view>{}(key); }
  };
  std::unordered_map<std::string, uint32_t, KeyHash, std::equal_to<>> m_KeyIndex;
  std::vector<uint32_t> m_NextSameKey;

  // Where the n-th visible feature was found last, so that enumerating them is one pass.
  bool m_NthValid = false;
  uint32_t m_NthN = 0;
  uint32_t m_NthIndex = 0;
  // Register lookup cache: the record found last and the index it was asked for.
  bool m_RegCacheValid = false;
  uint32_t m_RegCacheRecord = 0;
  uint32_t m_RegCacheIndex = 0;
};
