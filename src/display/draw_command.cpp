#include "display/draw_command.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

#include "base/helper.h"
#include "chipdef/chipdef.h"
#include "console/output.h"
#include "display/draw.h"
#include "display/pixel_format.h"
#include "display/windows.h"
#include "interp/memory_range.h"
#include "lang/evaluate.h"
#include "lang/number.h"

namespace {

// The window DRAW draws into until another is named.
struct DrawCommandState {
  int window = kMain1;
};
DrawCommandState DrawCommand;

enum class Shape { kText, kLine, kBox, kRect };
struct ShapeWord {
  const char* word;
  Shape shape;
};
constexpr ShapeWord kShapes[] = {
    {"TEXT", Shape::kText}, {"LINE", Shape::kLine}, {"BOX", Shape::kBox}, {"RECT", Shape::kRect}};

bool ShowDrawHelp(const char* name) {
  const char* const lines[] = {
      " %s [MAIN1|MAIN2|PIP1|PIP2] [TEXT|LINE|BOX|RECT ..]\n",
      " %s MAIN1 TEXT x y fg bg \"text\"          = Draws text --> main1 window\n",
      " %s PIP2 LINE x1 y1 x2 y2 color          = Draws line --> pip2 window\n",
      " %s BOX x y width height color           = Draws hollow box --> last window\n",
      " %s RECT x y width height color          = Draws solid box --> last window\n",
      "\n",
      " Draw graphics into display memory. NOTE: No range or boundary checks \n",
      " or clipping is performed.\n",
      " MAIN|PIP1|PIP2 - Specify window for graphics. Window is remembered (sticky).\n",
      " color          - Specify 32-bit ARGB or 24-bit YUV color, in hex format.\n",
      "                  Prefix with R/Y to indicate RGB/YUV (default:RGB).\n",
      " fg,bg          - Foreground/background color. Text is transparent if fg=bg.\n",
      " Coordinates and sizes are decimal; 0-8 and the like reach left of or above\n",
      " the window. A shape that would reach beyond display memory is refused.\n",
  };
  for (const char* line : lines) {
    if (!OutPrintf(CH_OUT, line, name)) return false;
  }
  return true;
}

bool InvalidArgument() {
  return OutPrintf(CH_ERR, "ERROR: Invalid DRAW argument.\n");
}

// A decimal coordinate; negative values (typed as expressions) reach left of or above the window.
bool ParseCoordinate(const char* word, int64_t* value) {
  uint32_t n = 0;
  if (ArgToNum(word, 10, &n) != 0) return false;
  *value = static_cast<int32_t>(n);
  return true;
}

struct ShapeArgs {
  Shape shape = Shape::kLine;
  int64_t a = 0, b = 0, c = 0, d = 0;  // x y and x2 y2, or x y width height
  uint32_t fg = 0, bg = 0;
  Value text;
};

// A decimal width or height; every one of its 32 bits counts.
bool ParseSize(const char* word, int64_t* value) {
  uint32_t n = 0;
  if (ArgToNum(word, 10, &n) != 0) return false;
  *value = n;
  return true;
}

// The five words after the shape word.
bool ParseShapeArgs(ArgSlot* words, ShapeArgs* s) {
  if (!ParseCoordinate(words[0], &s->a) || !ParseCoordinate(words[1], &s->b)) return false;
  if (s->shape == Shape::kText) {
    const char* message = nullptr;
    if (!ParseDrawColor(words[2], &s->fg) || !ParseDrawColor(words[3], &s->bg) ||
        Evaluate(words[4], &s->text, &message) != 0 || !s->text.isText) {
      return false;
    }
    TranslateEscapes(s->text.text);  // "\n" starts a new line, as PRINT has it
    return true;
  }
  auto parse = s->shape == Shape::kLine ? ParseCoordinate : ParseSize;
  return parse(words[2], &s->c) && parse(words[3], &s->d) && ParseDrawColor(words[4], &s->fg);
}

DrawBounds ShapeBounds(const ShapeArgs& s) {
  switch (s.shape) {
    case Shape::kText:
      return TextBounds(s.a, s.b, s.text.View());
    case Shape::kLine:
      return {std::min(s.a, s.c), std::min(s.b, s.d), std::max(s.a, s.c), std::max(s.b, s.d)};
    default:
      return {s.a, s.b, s.a + s.c - 1, s.b + s.d - 1};
  }
}

// The window as a display-memory image, from its features at this moment.
bool WindowTarget(int window, ImageDesc* d) {
  d->formatIndex = GetWindowPixelFormat(window);
  if (d->formatIndex < 0) {
    return OutPrintf(CH_ERR, "ERROR: Invalid bpp, can't determine color data format.\n");
  }
  ChipDef& chip = ChipModel();
  d->width = chip.GetValue(kWindowFeatures[window].width);
  d->height = chip.GetValue(kWindowFeatures[window].height);
  if (d->width == 0 || d->height == 0) {
    return OutPrintf(CH_ERR, "ERROR: The %s window has no pixels.\n", kWindowFeatures[window].name);
  }
  d->address = GetWindowStartAddress(window);
  d->stride = static_cast<uint32_t>(GetFormatLineSize(d->formatIndex, d->width));
  d->bufferSize = GetFormatImageSize(d->formatIndex, d->width, d->height);
  d->coding = {true, false};
  d->hook = DisplayAccessHook;
  return true;
}

// Refuses a shape that would reach outside display memory, naming the range.
bool ShapeFits(const DrawBounds& bounds) {
  int64_t first = 0, end = 0;
  MeasureBounds(bounds, &first, &end);
  if (first >= end) return true;
  if (first < 0) {
    return OutPrintf(CH_ERR, "ERROR: The shape reaches %llXh bytes before display memory.\n",
                     static_cast<unsigned long long>(-first));
  }
  if (first > int64_t{UINT32_MAX}) return CheckDisplayRange(UINT32_MAX, 1, 1);
  return CheckDisplayRange(static_cast<uint32_t>(first), static_cast<uint64_t>(end - first), 1);
}

void DrawShape(const ShapeArgs& s) {
  switch (s.shape) {
    case Shape::kText:
      DrawText(s.a, s.b, s.text.View(), s.fg, s.bg);
      break;
    case Shape::kLine:
      DrawLine(s.a, s.b, s.c, s.d, s.fg);
      break;
    case Shape::kBox:
    case Shape::kRect:
      DrawBox(s.a, s.b, static_cast<uint32_t>(s.c), static_cast<uint32_t>(s.d), s.fg,
              s.shape == Shape::kRect);
      break;
  }
}

bool CmdDraw(int argc, ArgSlot* argv, Value*) {
  if (argc == 2 && argv[1][0] == '?') return ShowDrawHelp(argv[0]);
  int first = 1;
  if (const int named = argc > 1 ? FindDisplayWindow(argv[1]) : -1; named >= 0) {
    DrawCommand.window = named;
    first = 2;
  }
  if (argc == first) {
    return OutPrintf(CH_OUT, "Draw set to use %s window.\n",
                     kWindowFeatures[DrawCommand.window].name);
  }
  ShapeArgs s;
  const ShapeWord* shape = nullptr;
  for (const ShapeWord& row : kShapes) {
    if (EqualsNoCase(argv[first], row.word)) shape = &row;
  }
  if (argc - first != 6 || shape == nullptr) {
    return OutPrintf(CH_ERR, "ERROR: Invalid/missing argument.\n");
  }
  s.shape = shape->shape;
  ImageDesc target;
  if (!WindowTarget(DrawCommand.window, &target)) return false;
  if (!ParseShapeArgs(argv + first + 1, &s)) return InvalidArgument();
  if ((s.shape == Shape::kBox || s.shape == Shape::kRect) && (s.c == 0 || s.d == 0)) {
    return OutPrintf(CH_ERR, "ERROR: A %s needs a width and a height of at least 1.\n",
                     shape->word);
  }
  SetDrawTarget(target);
  if (!ShapeFits(ShapeBounds(s))) return false;
  DrawShape(s);
  return true;
}

// ---- SS ----

// The host write window's data type decides the PIP windows' bits per pixel, as it decides their
// pixel format (see windows.h for the 77Q41's one-bit data type).
const char* const kSyncStridesHelp[] = {
    " SS\n",
    " Synchronize strides of all windows based on current width, height, bpp.\n",
    " MAIN1 and MAIN2 take 16 bpp; PIP1 and PIP2 take 12 bpp when HWC is on with a\n",
    " YUV 4:2:0 data type, else 16. The 77Q41's one-bit datatype selects YUV 4:2:2\n",
    " (0) or RGB 5:6:5 (1), both 16 bpp.\n",
    nullptr};

uint32_t WindowBitsPerPixel(int window) {
  if (window == kMain1 || window == kMain2) return 16;
  uint32_t type = HostDataType();
  return ChipModel().GetValue("hwc") != 0 && (type == 2 || type == 3) ? 12 : 16;
}

bool CmdSyncStrides(int argc, ArgSlot* argv, Value*) {
  if (argc >= 2 && argv[1][0] == '?') {
    for (const char* const* line = kSyncStridesHelp; *line != nullptr; line++) {
      if (!OutPrintf(CH_OUT, "%s", *line)) return false;
    }
    return true;
  }
  ChipDef& chip = ChipModel();
  for (int window = 0; window < kDisplayWindowCount; window++) {
    const WindowFeatures& keys = kWindowFeatures[window];
    uint32_t stride = chip.GetValue(keys.width) * WindowBitsPerPixel(window) / 8;
    chip.ClearRefusal();
    if (!chip.SetValue(keys.stride, stride)) {
      return OutPrintf(CH_ERR, "ERROR: %s can't be set to %u%s%s.\n", keys.stride, stride,
                       chip.Refusal().empty() ? "" : ": ", chip.Refusal().c_str());
    }
  }
  return true;
}

}  // namespace

const CommandRow kDrawRow = {
    ADVANCED, "draw", CmdDraw, kNeedsCard,
    "DRAW [MAIN1|MAIN2 ..] [TEXT|LINE|BOX ..]  - Draws various graphics to screen"};
const CommandRow kSyncStridesRow = {
    ADVANCED, "ss", CmdSyncStrides, kNeedsCard,
    "SS                                        - Synchronize strides"};
