// The concrete chip model of the 77Q41: the base tables loaded from the built-in document with
// the configured product selected and its spans completed.
#pragma once

#include "chipdef/chipdef_base.h"

// The product the built-in configuration names.
constexpr const char* kConfiguredChip = "77Q41";

class ChipDef : public ChipDefBase {
 public:
  // Loads the built-in document, selects the configured product and assembles its spans.
  ChipDef();
};
