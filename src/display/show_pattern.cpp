#include "display/show_pattern.h"

#include <algorithm>
#include <cstring>

#include "console/output.h"
#include "display/draw.h"
#include "display/font8x8.h"

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kBorder = 2;  // OLD's white border
constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF;

// ---- OLD ----

// Red, green, blue and grey ramps, one band each.
constexpr uint32_t kBandColours[4] = {0x010000, 0x000100, 0x000001, 0x010101};

void RenderOld(const PatternSpec& s, uint32_t offset, uint32_t* pixels) {
  const uint32_t w = s.width, h = s.height;
  const uint32_t inner = w - 2 * kBorder;
  const uint32_t band = std::max(1u, (h - 2 * kBorder) / 4);
  const uint32_t blockLeft = 9 * w / 20, blockRight = blockLeft + w / 10;
  const uint32_t blockRows = std::max(1u, band / 3);
  for (uint32_t y = 0; y < h; y++) {
    uint32_t* line = pixels + uint64_t{y} * w;
    const uint32_t row = y - kBorder, which = row / band;
    for (uint32_t x = 0; x < w; x++) {
      if (x < kBorder || y < kBorder || x >= w - kBorder || y >= h - kBorder) {
        line[x] = kWhite;
        continue;
      }
      if (which >= 4) {  // rows left below the four bands
        line[x] = 0;
        continue;
      }
      // Inner columns count from 1; the animation moves the ramps along them.
      uint32_t column = (x - kBorder + offset % inner) % inner + 1;
      uint32_t colour = column * 255 / inner * kBandColours[which];
      bool block = which == 0 && row < blockRows && column >= blockLeft && column < blockRight;
      line[x] = block ? colour ^ kWhite : colour;
    }
  }
}

// ---- FILL ----

// The components the offset's bits 6 and 7 raise: red, green, blue, or all three.
constexpr uint32_t kRaisedMasks[4] = {kRed, kGreen, kBlue, kWhite};

void RenderFill(const PatternSpec& s, uint32_t offset, uint32_t* pixels) {
  const uint32_t step = offset % 255;
  const uint32_t raise = (step & 0x3F) * 4;
  const uint32_t raised = kRaisedMasks[step >> 6];
  uint32_t base[3];  // red, green, blue
  for (int c = 0; c < 3; c++) base[c] = (raised >> (16 - 8 * c) & 0xFF) != 0 ? raise : 0;
  const uint64_t count = uint64_t{s.width} * s.height;
  for (uint64_t i = 1; i <= count; i++) {
    uint32_t colour = 0;
    for (int c = 0; c < 3; c++) {
      uint32_t v = static_cast<uint32_t>((255 - base[c]) * i / count);
      colour = colour << 8 | std::max(base[c], v);
    }
    pixels[i - 1] = colour;
  }
}

// ---- GRID ----

uint32_t GridPixel(const PatternSpec& s, uint32_t x, uint32_t y, uint32_t bx, uint32_t by) {
  const uint32_t w = s.width, h = s.height, lw = s.lineWidth, fg = s.foreground;
  const uint32_t halfW = s.boxWidth / 2, halfH = s.boxHeight / 2;
  bool inColumn = x > bx && x <= bx + lw;
  bool inRow = y > by && y <= by + lw;
  if (inColumn != inRow) return fg | 0x80000000u;
  if (x <= lw || y <= lw || x > w - lw || y > h - lw) return fg;
  if (x % s.boxWidth == 0) return y % 10 == 0 ? 0 : fg;
  if (y % s.boxHeight == 0) return x % 10 == 0 ? 0 : fg;
  bool nearTopOrBottom = y <= lw + 3 || y > h - lw - 3;
  bool nearLeftOrRight = x <= lw + 3 || x > w - lw - 3;
  bool tick = (x % halfW == 0 && (nearTopOrBottom || y % halfH == 0)) ||
              (y % halfH == 0 && nearLeftOrRight) ||
              ((y == lw + 1 || y == h - lw) && x % 10 == 0) ||
              ((x == lw + 1 || x == w - lw) && y % 10 == 0);
  return tick ? fg : s.background | 0xFF000000u;
}

void RenderGrid(const PatternSpec& s, uint32_t offset, uint32_t* pixels) {
  const uint32_t bx = offset % (s.width - s.lineWidth);
  const uint32_t by = offset % (s.height - s.lineWidth);
  for (uint32_t y = 1; y <= s.height; y++) {
    uint32_t* line = pixels + uint64_t{y - 1} * s.width;
    for (uint32_t x = 1; x <= s.width; x++) line[x - 1] = GridPixel(s, x, y, bx, by);
  }
}

// ---- the label ----

void DrawLabel(const PatternSpec& s, uint32_t* pixels) {
  if (s.label == nullptr) return;
  const uint32_t w = s.width, h = s.height;
  const uint64_t text = uint64_t{kFontCell} * std::strlen(s.label);
  if (w <= text + 4 || h < 13) return;
  ImageDesc picture;
  picture.buffer = reinterpret_cast<uint8_t*>(pixels);
  picture.bufferSize = uint64_t{w} * h * 4;
  picture.formatName = "R888.xRGB";
  picture.width = w;
  picture.height = h;
  SetDrawTarget(picture);
  const bool grid = s.kind == PatternKind::kGrid;
  const uint32_t fg = grid ? s.foreground : kWhite, bg = grid ? s.background : kWhite;
  const int64_t right = static_cast<int64_t>(w - text), bottom = h - kFontCell;
  DrawText(right / 2, bottom / 2, s.label, fg, bg);
  if (!grid || w <= 3 * text + 4 || h < 29) return;
  constexpr int64_t kInset = 4;
  for (int64_t x : {kInset, right - kInset}) {
    for (int64_t y : {kInset, bottom - kInset}) DrawText(x, y, s.label, fg, bg);
  }
}

}  // namespace

bool PatternFits(const PatternSpec& s) {
  switch (s.kind) {
    case PatternKind::kOld:
      if (s.width >= 5 && s.height >= 8) return true;
      return OutPrintf(CH_ERR,
                       "ERROR: The OLD pattern needs a width of at least 5 and a height of at "
                       "least 8.\n");
    case PatternKind::kGrid:
      if (s.lineWidth >= s.width || s.lineWidth >= s.height) {
        return OutPrintf(CH_ERR,
                         "ERROR: GRID needs a width and a height above its line width: at least "
                         "%u.\n",
                         s.lineWidth + 1);
      }
      if (s.boxWidth < 2 || s.boxHeight < 2) {
        return OutPrintf(CH_ERR, "ERROR: GRID needs a grid width and height of at least 2.\n");
      }
      return true;
    case PatternKind::kFill:
      break;
  }
  return true;
}

void RenderPattern(const PatternSpec& s, uint32_t offset, uint32_t* pixels) {
  switch (s.kind) {
    case PatternKind::kOld:
      RenderOld(s, offset, pixels);
      break;
    case PatternKind::kFill:
      RenderFill(s, offset, pixels);
      break;
    case PatternKind::kGrid:
      RenderGrid(s, offset, pixels);
      break;
  }
  DrawLabel(s, pixels);
}
