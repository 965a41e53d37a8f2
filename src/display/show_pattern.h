// The test patterns of SHOW, rendered as 32-bit RGB pixels (alpha:R:G:B, "R888.xRGB" in memory)
// for one animation offset. OLD is an RGB swatch, FILL a gradient over the whole picture, GRID a
// ruled grid with a moving cross; the offset moves OLD's ramps, cycles FILL's colours and moves
// GRID's cross.
#pragma once

#include <cstdint>

enum class PatternKind { kOld, kFill, kGrid };

struct PatternSpec {
  PatternKind kind = PatternKind::kOld;
  uint32_t width = 0, height = 0;
  // GRID
  uint32_t lineWidth = 1;
  uint32_t boxWidth = 100, boxHeight = 100;
  uint32_t foreground = 0x00FF00, background = 0;
  // The name written on OLD (white, transparent) and GRID (foreground on background) where it
  // fits; nullptr for none.
  const char* label = nullptr;
};

// The smallest width and height the pattern draws in: OLD's border and four bands of ramps need
// 5 x 8, GRID's moving cross a line width below both sides (and its half-box ticks a box of at
// least 2 x 2), FILL 1 x 1. False, with the message naming the minimum printed, when the size
// asked for is smaller.
bool PatternFits(const PatternSpec& spec);

// Renders the pattern for the animation offset into width x height pixels, line after line.
void RenderPattern(const PatternSpec& spec, uint32_t offset, uint32_t* pixels);
