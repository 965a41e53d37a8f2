#include "display/hwc_target.h"

#include "console/output.h"
#include "interp/memory_range.h"

uint64_t HwcBytes(const HwcRectangle& r) {
  uint64_t pixels = uint64_t{r.width} * r.height;
  return pixels * (r.yuv420 ? 3 : 4) / 4 * 2;
}

uint64_t HwcSpan(const HwcRectangle& r) {
  bool turned = r.rotation == 90 || r.rotation == 270;
  uint64_t lines = turned ? r.width : r.height;
  uint64_t columns = turned ? r.height : r.width;
  return 2 * ((r.y + lines - 1) * r.stride + r.x + columns);
}

bool CheckHwcTarget(uint32_t start, const HwcRectangle& r, uint64_t bytes) {
  uint32_t step = r.yuv420 ? 4 : 2;
  if (r.x % step != 0) {
    return OutPrintf(CH_ERR, "ERROR: HX=%u isn't a multiple of %u for this data format.\n", r.x,
                     step);
  }
  if (r.width < 2) return OutPrintf(CH_ERR, "ERROR: HWC needs a width of 2 or more.\n");
  if (HwcBytes(r) > bytes) {
    return OutPrintf(CH_ERR,
                     "ERROR: HWC needs %llXh bytes for %ux%u pixels; the data hold %llXh.\n",
                     static_cast<unsigned long long>(HwcBytes(r)), r.width, r.height,
                     static_cast<unsigned long long>(bytes));
  }
  return CheckDisplayRange(start, HwcSpan(r), 2);
}
