// Feeds arbitrary texts to the chip model's text parsers: the LCD sequence syntax, list and
// bool words, numbers in a radix, frequencies and the configuration description. The record
// copy must never be overrun, and a sequence read back must parse again to the same entries.
#include <cstddef>
#include <cstdint>
#include <string>

#include "chipdef/chipdef.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static ChipDef& model = ChipModel();
  const std::string text(reinterpret_cast<const char*>(data), size);
  for (const char* feature :
       {"lcdseq", "rgbdatawidth", "mirror", "hdp", "main1saddr", "clki", "cfgdesc", "mgedbw"}) {
    model.SetValueText(feature, text.c_str());
    model.GetValueText(feature, true);
  }
  const std::string first = model.GetValueText("lcdseq", true);
  model.SetValueText("lcdseq", first.c_str());
  if (first != model.GetValueText("lcdseq", true)) __builtin_trap();
  return 0;
}
