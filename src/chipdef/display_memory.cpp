#include "chipdef/display_memory.h"

#include "chipdef/chipdef.h"

uint32_t DisplayMemorySize() {
  return ChipModel().DisplayMemorySize();
}

bool DisplayRangeValid(uint32_t address, uint64_t bytes, uint32_t unit) {
  const uint32_t size = DisplayMemorySize();
  return unit != 0 && address % unit == 0 && address < size && bytes <= size - address;
}
