#include "interp/memory_range.h"

#include "console/output.h"

bool CheckDisplayRange(uint32_t start, uint64_t length, uint32_t unit) {
  if (unit > 1 && start % unit != 0) {
    return OutPrintf(CH_ERR, "ERROR: Address %08Xh isn't a multiple of the %u-bit unit.\n", start,
                     unit * 8);
  }
  uint64_t size = DisplayMemorySize();
  if (length > size || start > size - length) {
    uint64_t last = start + (length > 0 ? length - 1 : 0);
    return OutPrintf(CH_ERR,
                     "ERROR: Range %08Xh-%08llXh is beyond the end of display memory (%llXh "
                     "bytes).\n",
                     start, static_cast<unsigned long long>(last),
                     static_cast<unsigned long long>(size));
  }
  return true;
}

uint64_t RectangleSpan(uint64_t count, uint64_t width, uint64_t stride) {
  if (count == 0 || width == 0) return 0;
  uint64_t lines = (count - 1) / width;  // whole lines before the last
  uint64_t span = lines * stride + (count - lines * width);
  // Lines wider than the stride reach further on the line before the last.
  if (lines > 0 && (lines - 1) * stride + width > span) span = (lines - 1) * stride + width;
  return span;
}
