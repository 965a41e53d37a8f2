#include "display/file_transfer.h"

#include <cstdio>
#include <new>

#include "base/helper.h"
#include "console/output.h"
#include "interp/args.h"
#include "lang/evaluate.h"

bool ParseArea(const char* word, TransferArea* area) {
  struct AreaName {
    const char* name;
    const char* letter;
    TransferArea area;
  };
  static constexpr AreaName kAreas[] = {{"MEM", "M", TransferArea::kMemory},
                                        {"REG", "R", TransferArea::kRegister},
                                        {"SYS", "S", TransferArea::kSystem}};
  for (const AreaName& a : kAreas) {
    if (EqualsNoCase(word, a.name) || EqualsNoCase(word, a.letter)) {
      *area = a.area;
      return true;
    }
  }
  return false;
}

std::string FileNameArgument(const char* word, int radix) {
  Value value;
  const char* message = nullptr;
  if (Evaluate(word, &value, &message) != 0) return word;
  if (value.isText) return value.text;
  char digits[16];
  std::snprintf(digits, sizeof digits, radix == 10 ? "%u" : "%X", value.number);
  return digits;
}

bool TransferUnit(const char* word, uint32_t defaultUnit, uint32_t* unit) {
  uint32_t named = defaultUnit;  // these commands remember no unit between runs
  return UnitFromName(word, &named, unit);
}

uint32_t LoadUnit(const uint8_t* bytes, uint32_t unit) {
  uint32_t value = 0;
  for (uint32_t i = unit; i-- > 0;) value = value << 8 | bytes[i];
  return value;
}

void StoreUnit(uint8_t* bytes, uint32_t unit, uint32_t value) {
  for (uint32_t i = 0; i < unit; i++, value >>= 8) bytes[i] = static_cast<uint8_t>(value);
}

bool UnitBuffer::Allocate(uint64_t bytes) {
  uint64_t longs = bytes / 4 + 1;
  storage_.reset(longs <= SIZE_MAX / 4 ? new (std::nothrow) uint32_t[longs]() : nullptr);
  size_ = storage_ ? bytes : 0;
  return storage_ != nullptr || OutPrintf(CH_ERR, "ERROR: cannot allocate enough CPU memory.\n");
}

bool ShowTransferHelp(const char* word, const char* syntax, const char* const* lines) {
  int base = static_cast<int>(BaseNameLength(word));
  OutPrintf(CH_OUT, "\n %*.*s[8|16|32] %s\n", base, base, word, syntax);
  for (const char* const* line = lines; *line != nullptr; line++) {
    if (!OutPrintf(CH_OUT, "%s", *line)) return false;
  }
  return true;
}
