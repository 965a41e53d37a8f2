#include "display/draw.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <utility>

#include "display/font8x8.h"
#include "display/pixel_format.h"
#include "hal/hal.h"
#include "lang/number.h"

namespace {

struct DrawState {
  ImageDesc target;
  int format = -1;
  int64_t stride = 0;     // bytes from one line to the next
  int64_t lineGroup = 1;  // lines that share their chroma: 2 for 4:2:0, else 1
  // While measuring: the lowest and the highest byte (plus one) that accesses would reach.
  int64_t first = 0, end = 0;
};
DrawState Draw;

constexpr int64_t kBeyond = std::numeric_limits<int64_t>::max() / 4;

// Rounds toward minus infinity; divisor > 0.
int64_t FloorDiv(int64_t a, int64_t b) {
  int64_t q = a / b;
  return a % b != 0 && a < 0 ? q - 1 : q;
}

bool IsYuv420(int format) {
  SizeRule rule = PixelFormatAt(format).sizeRule;
  return rule == SizeRule::kYuv420Pairs || rule == SizeRule::kYuv420Lines ||
         rule == SizeRule::kYuv420Odd || rule == SizeRule::kYuv420Plane;
}

void NoteReach(int64_t from, int64_t to) {
  Draw.first = std::min(Draw.first, from);
  Draw.end = std::max(Draw.end, to);
}

uint32_t MeasureHook(uint32_t address, uint32_t, uint32_t bits, AccessOp) {
  NoteReach(address, int64_t{address} + std::max(bits / 8, 1u));
  return 0;
}

void Put(const ImageDesc& image, int64_t x, int64_t y, uint32_t color) {
  WritePixelColor(image, static_cast<uint32_t>(x), static_cast<uint32_t>(y), color);
}

// A pixel below or above the image, (x, y) within the line's width: the image moved by whole line
// groups so that the pixel falls on its first group.
void PutMoved(const ImageDesc& t, int64_t x, int64_t y, uint32_t color) {
  const int64_t lines = int64_t{t.y} + t.height;
  if (lines < Draw.lineGroup) return;
  int64_t shift = FloorDiv(y, Draw.lineGroup) * Draw.lineGroup;
  int64_t limit = Draw.stride > 0 ? kBeyond / Draw.stride : kBeyond;
  int64_t address =
      std::abs(shift) > limit ? (shift < 0 ? -kBeyond : kBeyond) : t.address + shift * Draw.stride;
  if (address < 0 || address > int64_t{UINT32_MAX}) {
    if (t.hook == MeasureHook) NoteReach(address, address + 1);
    return;
  }
  ImageDesc moved = t;
  moved.address = static_cast<uint32_t>(address);
  Put(moved, x, y - shift, color);
}

}  // namespace

void SetDrawTarget(const ImageDesc& image) {
  Draw.target = image;
  Draw.format = image.formatName != nullptr        ? FindPixelFormat(image.formatName)
                : IsValidFormat(image.formatIndex) ? image.formatIndex
                                                   : -1;
  if (Draw.format < 0) return;
  uint64_t line = GetFormatLineSize(Draw.format, image.x + image.width);
  Draw.stride = static_cast<int64_t>(image.stride != 0 ? image.stride : line);
  Draw.lineGroup = IsYuv420(Draw.format) ? 2 : 1;
}

void DrawPixel(int64_t x, int64_t y, uint32_t color) {
  const ImageDesc& t = Draw.target;
  const int64_t width = int64_t{t.x} + t.width, height = int64_t{t.y} + t.height;
  if (Draw.format < 0 || width == 0 || height == 0) return;
  if (x >= 0 && x < width && y >= 0 && y < height) return Put(t, x, y, color);
  if (t.hook == nullptr) return;
  int64_t wrap = FloorDiv(x, width);
  x -= wrap * width;
  y += wrap;
  if (y >= 0 && y < height) return Put(t, x, y, color);
  PutMoved(t, x, y, color);
}

void DrawLine(int64_t x1, int64_t y1, int64_t x2, int64_t y2, uint32_t color) {
  if (x1 > x2) {
    std::swap(x1, x2);
    std::swap(y1, y2);
  }
  const int64_t dx = x2 - x1, dy = std::abs(y2 - y1);
  if (dx <= dy) {  // steep: one pixel a row
    if (y1 > y2) {
      std::swap(x1, x2);
      std::swap(y1, y2);
    }
    const int64_t xstep = x2 >= x1 ? 1 : -1;
    int64_t d = 2 * dx - dy, x = x1;
    DrawPixel(x1, y1, color);
    for (int64_t y = y1 + 1; y <= y2; y++) {
      if (d >= 0) {
        x += xstep;
        d += 2 * (dx - dy);
      } else {
        d += 2 * dx;
      }
      DrawPixel(x, y, color);
    }
    return;
  }
  const int64_t ystep = y2 > y1 ? 1 : -1;  // shallow: one pixel a column
  int64_t d = 2 * dy - dx, y = y1;
  DrawPixel(x1, y1, color);
  for (int64_t x = x1 + 1; x <= x2; x++) {
    if (d < 0) {
      d += 2 * dy;
    } else {
      y += ystep;
      d += 2 * (dy - dx);
    }
    DrawPixel(x, y, color);
  }
}

void DrawBox(int64_t x, int64_t y, uint32_t width, uint32_t height, uint32_t color, bool solid) {
  const int64_t x2 = x + width - 1, y2 = y + height - 1;
  if (solid) {
    for (int64_t row = y; row <= y2; row++) DrawLine(x, row, x2, row, color);
    return;
  }
  DrawLine(x, y, x2, y, color);
  DrawLine(x, y2, x2, y2, color);
  DrawLine(x, y, x, y2, color);
  DrawLine(x2, y, x2, y2, color);
}

void DrawText(int64_t x, int64_t y, std::string_view text, uint32_t fg, uint32_t bg) {
  int64_t column = x, row = y;
  for (char c : text) {
    if (c == '\n') {
      column = x;
      row += kFontCell;
      continue;
    }
    const uint8_t* glyph = FontGlyph(static_cast<unsigned char>(c));
    if (glyph == nullptr) continue;
    for (uint32_t r = 0; r < kFontCell; r++) {
      for (uint32_t b = 0; b < kFontCell; b++) {
        bool set = (glyph[r] << b & 0x80) != 0;
        if (set || fg != bg) DrawPixel(column + b, row + r, set ? fg : bg);
      }
    }
    column += kFontCell;
  }
}

DrawBounds TextBounds(int64_t x, int64_t y, std::string_view text) {
  int64_t line = 0, cells = 0, widest = 0, lastLine = -1;
  for (char c : text) {
    if (c == '\n') {
      line++;
      cells = 0;
    } else if (FontGlyph(static_cast<unsigned char>(c)) != nullptr) {
      widest = std::max(widest, ++cells);
      lastLine = line;
    }
  }
  return {x, y, x + widest * kFontCell - 1, y + (lastLine + 1) * kFontCell - 1};
}

uint32_t DisplayAccessHook(uint32_t address, uint32_t value, uint32_t bits, AccessOp op) {
  if (bits != 8 && bits != 16 && bits != 32) return 0;
  const uint32_t bytes = bits / 8;
  switch (op) {
    case AccessOp::kRead:
      return qvReadMemoryByWidth(address, bytes);
    case AccessOp::kWrite:
      qvWriteMemoryByWidth(address, bytes, value);
      break;
    case AccessOp::kAnd:
      qvWriteMemoryByWidth(address, bytes, qvReadMemoryByWidth(address, bytes) & value);
      break;
    case AccessOp::kOr:
      qvWriteMemoryByWidth(address, bytes, qvReadMemoryByWidth(address, bytes) | value);
      break;
  }
  return 0;
}

void MeasureBounds(const DrawBounds& b, int64_t* first, int64_t* end) {
  const AccessHook hook = Draw.target.hook;
  Draw.first = std::numeric_limits<int64_t>::max();
  Draw.end = std::numeric_limits<int64_t>::min();
  if (hook != nullptr && b.right >= b.left && b.bottom >= b.top) {
    Draw.target.hook = MeasureHook;
    for (int64_t x : {b.left, b.right}) {
      for (int64_t y : {b.top, b.bottom}) DrawPixel(x, y, 0);
    }
    Draw.target.hook = hook;
  }
  *first = Draw.first;
  *end = Draw.end;
}

bool ParseDrawColor(const char* word, uint32_t* color) {
  const bool yuv = *word == 'Y' || *word == 'y';
  if (yuv || *word == 'R' || *word == 'r') word++;
  uint32_t value = 0;
  if (std::strchr(word, ',') == nullptr) {
    if (*word == '\0' || ArgToNum(word, 16, &value) != 0) return false;
  } else {
    std::string_view rest = word;
    int parts = 0;
    for (;; parts++) {
      size_t comma = rest.find(',');
      std::string part(rest.substr(0, comma));
      uint32_t n = 0;
      if (part.empty() || ArgToNum(part, 16, &n) != 0) return false;
      value = value << 8 | (n & 0xFF);
      if (comma == std::string_view::npos) break;
      rest.remove_prefix(comma + 1);
    }
    if (parts + 1 < 3) return false;
  }
  *color = yuv ? YuvToRgbColor(value) : value;
  return true;
}
