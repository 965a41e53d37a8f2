#include "display/hwc_target.h"

#include "console/output.h"
#include "interp/memory_range.h"

namespace {

// Sizes past this are far beyond any memory and still safe to add to.
constexpr uint64_t kHuge = uint64_t{1} << 62;

// a x b + c, held at kHuge: 32-bit sizes and offsets multiplied together overflow 64 bits.
uint64_t MulAdd(uint64_t a, uint64_t b, uint64_t c) {
  uint64_t product = 0;
  if (__builtin_mul_overflow(a, b, &product) || product >= kHuge || c >= kHuge - product) {
    return kHuge;
  }
  return product + c;
}

}  // namespace

uint64_t HwcBytes(const HwcRectangle& r) {
  uint64_t pixels = uint64_t{r.width} * r.height;
  return MulAdd(pixels, r.yuv420 ? 3 : 4, 0) / 4 * 2;
}

uint64_t HwcSpan(const HwcRectangle& r) {
  bool turned = r.rotation == 90 || r.rotation == 270;
  uint64_t lines = turned ? r.width : r.height;
  uint64_t columns = turned ? r.height : r.width;
  return MulAdd(MulAdd(r.y + lines - 1, r.stride, uint64_t{r.x} + columns), 2, 0);
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
