#include "chipdef/display_memory.h"

#include <cstring>

#include "chipdef/chipdef.h"

namespace {

struct ProductMemory {
  const char* product;
  uint32_t bytes;
};

// The display memory each product carries; the configured chip's row comes first and stands
// for a product that has none here.
constexpr ProductMemory kProductMemory[] = {
    {kConfiguredChip, 1u << 20},
};

}  // namespace

uint32_t DisplayMemorySize() {
  const ChipDef& model = ChipModel();
  int selected = model.SelectedProduct();
  if (selected >= 0) {
    const OptText& key = model.Products()[static_cast<size_t>(selected)].KeyName;
    for (const ProductMemory& row : kProductMemory) {
      if (key && *key == row.product) return row.bytes;
    }
  }
  return kProductMemory[0].bytes;
}

bool DisplayRangeValid(uint32_t address, uint64_t bytes, uint32_t unit) {
  const uint32_t size = DisplayMemorySize();
  return unit != 0 && address % unit == 0 && address < size && bytes <= size - address;
}
