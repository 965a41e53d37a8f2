// The concrete chip model of the 77Q41: the base tables loaded from the built-in document with
// the configured product selected and its spans completed, plus the model's own copy of the
// configuration record. In cold mode the copy's initial register list is the register file;
// the program settings (NEEDCODE features) live in the copy's fields.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "chipdef/chipdef_base.h"
#include "hal/hcl_data.h"

// The product the built-in configuration names.
constexpr const char* kConfiguredChip = "77Q41";

class ChipDef : public ChipDefBase {
 public:
  // Copies the built-in record, loads the built-in document, selects the record's product,
  // assembles its spans and compacts the initial register list to that product.
  ChipDef();

  // Also copies the key into the record's chip identifier.
  bool SelectProduct(const char* keyName) override;

  const char* ShowConfiguration(const char* prefix) override;
  bool GetMemoryMapEntry(uint32_t view, uint32_t n, const char** name, uint32_t* start,
                         uint32_t* end) override;
  // With the list flag, the n-th entry of the initial register list.
  bool GetNthRegister(bool list, uint32_t n, uint32_t* index, bool includeFake) override;
  uint32_t GetFieldValue(const char* name) override;
  bool SetFieldValue(const char* name, uint32_t raw) override;
  const char* GetValueText(const char* name, bool asRead) override;
  bool SetValueText(const char* name, const char* text) override;
  uint32_t GetValue(const char* name) override;
  uint32_t GetMin(const char* name) override;
  uint32_t GetMax(const char* name) override;
  bool SetValue(const char* name, uint32_t value) override;
  bool GetSeqEntry(const char* name, uint32_t n, uint32_t* kind, uint32_t* number,
                   const char** text) override;
  bool SetSeqEntry(const char* name, uint32_t n, uint32_t kind, uint32_t number,
                   const char* text) override;
  uint32_t GetSeqCapacity(const char* name) override;
  uint32_t GetSeqLength(const char* name) override;
  bool SetSeqLength(const char* name, uint32_t n) override;
  void ReservedSlot1() override {}
  size_t Diagnose(char* buffer, size_t size) override;
  void ReservedSlot2() override {}
  void NoEffect() override {}
  uint32_t ReadRegHot(const RegisterRec& reg, uint32_t index) override;
  bool WriteRegHot(const RegisterRec& reg, uint32_t index, uint32_t value) override;
  uint32_t GetRegListValue(uint32_t pos) override;
  bool SetRegListValue(uint32_t pos, uint32_t value) override;
  bool FindInRegList(uint32_t index, uint32_t* pos, bool stopAtMarker) override;
  bool GetRegListIndex(uint32_t pos, uint32_t* index) override;

  // The model's copy of the configuration record, and the length of its register list.
  const QvHclData& Record() const { return *m_Record; }
  uint32_t RegListCount() const { return m_RegListCount; }

  // Bytes of display memory: the window start addresses reach all of it, in steps of two.
  uint32_t DisplayMemorySize();

  // Why the model refused the last setting, when it can say more than that the value is invalid;
  // empty otherwise. Whoever reports a refusal clears it before the next setting.
  const std::string& Refusal() const { return m_Refusal; }
  void ClearRefusal() { m_Refusal.clear(); }

 private:
  // Records why a setting is refused; returns false.
  bool Refuse(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // The LCD panel settings: a parallel panel takes its width and format from lcdparfmt, an RGB
  // panel its width from rgbdatawidth.
  bool ParallelPanel();
  uint32_t DataWidth();
  bool SetDataWidth(uint32_t bits);
  bool SetDataFormat(uint32_t entry);

  // The clocks (chipdef_clocks.cpp): each derived from CLKI through the PLL and the dividers,
  // in Hz; CLKI and the PLL output are the settable ones, each checked against its limits.
  static bool OwnClockLimits(std::string_view key, uint32_t* min, uint32_t* max);
  uint32_t ClockHz(std::string_view key);
  // The PLL's step: CLKI / M-divider, 0 when CLKI is smaller than the divider.
  uint32_t PllReference();
  bool SetClki(uint32_t hz);
  bool SetPllClock(uint32_t hz);

  // Keeps the list entries of registers the selected product has; the end mark follows them.
  void CompactRegList();
  bool IsSequence(const char* name);
  bool SetSeqText(uint32_t n, const char* text);
  // The code feature this name calls exactly, or none.
  int CodeFeature(const char* name);

  std::unique_ptr<QvHclData> m_Record;
  uint32_t m_RegListCount = 0;
  std::string m_Refusal;
};

// The program's one chip model, built on first use (start-up uses it first).
ChipDef& ChipModel();
