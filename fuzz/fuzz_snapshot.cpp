// Feeds arbitrary texts to the register snapshot parser. A text it takes must show and compare
// without trouble, equal itself, and read back the same registers and tables once written again.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "vornreg/snapshot.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  Snapshot snapshot;
  std::string error;
  if (!ParseSnapshot(text, &snapshot, &error)) {
    if (error.empty()) __builtin_trap();  // a refusal always says why
    return 0;
  }
  ShowLines(snapshot);
  if (!DiffLines(snapshot, snapshot, false).empty()) __builtin_trap();
  Snapshot again;
  if (!ParseSnapshot(SnapshotText(snapshot), &again, &error)) __builtin_trap();
  for (int lut = 0; lut < kSnapshotLuts; lut++) {
    if (again.luts[lut] != snapshot.luts[lut]) __builtin_trap();
  }
  if (again.registers != snapshot.registers) __builtin_trap();
  return 0;
}
