#include "display/windows.h"

#include "base/helper.h"
#include "chipdef/chipdef.h"
#include "display/pixel_format.h"

namespace {

constexpr uint32_t kHostConfig = 0x0180;  // HOST_CONFIG: bits 7-5 the data type

constexpr const char* kDataTypeFormats[kDataTypeCount] = {
    "Y422.YU-YV", "Y422.Y1Y0@VU", "Y420.YU-YV+Y1Y0-Y3Y2", "Y420.Y1Y0-Y3Y2@VU", "R565.RGB"};

}  // namespace

const WindowFeatures kWindowFeatures[kDisplayWindowCount] = {
    {"MAIN1", "main1width", "main1height", "main1stride", "main1saddr", "lcdlutbypass"},
    {"MAIN2", "main2width", "main2height", "main2stride", "main2saddr", "lcdlutbypass"},
    {"PIP1", "pip1width", "pip1height", "pip1stride", "pip1saddr", "lcdlutbypass"},
    {"PIP2", "pip2width", "pip2height", "pip2stride", "pip2saddr", "pip2lutbypass"},
};

int FindDisplayWindow(std::string_view word) {
  for (int i = 0; i < kDisplayWindowCount; i++) {
    if (EqualsNoCase(word, kWindowFeatures[i].name)) return i;
  }
  return -1;
}

int DataTypeFormat(uint32_t dataType) {
  return dataType < kDataTypeCount ? FindPixelFormat(kDataTypeFormats[dataType]) : -1;
}

uint32_t HostDataType() {
  return ChipModel().ReadRegister(kHostConfig, false) >> 5 & 7;
}

uint32_t GetWindowStartAddress(int window) {
  if (window < 0 || window >= kDisplayWindowCount) return 0;
  return ChipModel().GetValue(kWindowFeatures[window].start);
}

int GetWindowPixelFormat(int window) {
  if (window < 0 || window >= kDisplayWindowCount) return -1;
  if (window == kMain1 || window == kMain2 || ChipModel().GetValue("hwc") == 0) {
    return FindPixelFormat("R565.RGB");
  }
  return DataTypeFormat(HostDataType());
}
