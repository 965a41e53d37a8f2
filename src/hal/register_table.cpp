#include "hal/register_table.h"

#include "hal/hal.h"
#include "hal/hal_state.h"
#include "platform/assert.h"
#include "platform/timing.h"

void WriteRegisterTable(const QvHclData& record) {
  for (const HclRegPair& pair : record.regTable) {
    if (pair.index == kRegTableEnd) return;
    if (pair.index >= kRegTablePllDelay) {
      DelayMicroseconds(pair.value);
    } else if (pair.index < kRegTableSkipFirst) {
      qvWriteReg16(pair.index, pair.value);
    }
  }
}

uint32_t InitialiseFromTable() {
  if (Hal.windowBase[0] == 0) {
    HalAssert("qvInitializeController() called but controller not acquired.");
    return 0;
  }
  WriteRegisterTable(halRecord());
  return 1;
}
