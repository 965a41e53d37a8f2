#include "hal/register_table.h"

#include "hal/hal.h"
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
