#include "chipdef/chipdef.h"

#include "chipdef/document.h"
#include "chipdef/fatal.h"

ChipDef::ChipDef() {
  m_IndexWidth = 4;
  LoadChipDef(kChipDefLines, kChipDefLineCount);
  if (!SelectProduct(kConfiguredChip)) CHIPDEF_FATAL("product %s is not defined", kConfiguredChip);
  AssembleSpans();
}
