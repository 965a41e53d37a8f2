// SHOW renders its pattern as 32-bit RGB in host memory, converts it to the target's pixel format
// and writes it through the HAL: linear (row by row at the window's stride), as a rectangle, or
// through the host write window. Every check, the display-memory range included, comes before
// the first write; an animation is paced by the frame rate, the GPIO pin and the periodic timer.
#include "display/show_command.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <optional>

#include "chipdef/chipdef.h"
#include "console/output.h"
#include "display/file_transfer.h"
#include "display/frame_pacing.h"
#include "display/hwc_target.h"
#include "display/image.h"
#include "display/pixel_format.h"
#include "display/show_options.h"
#include "display/show_pattern.h"
#include "display/windows.h"
#include "hal/hal.h"
#include "interp/memory_range.h"
#include "platform/console.h"
#include "platform/periodic_timer.h"
#include "platform/timing.h"

namespace {

// ---- help ----

const char* const kShowHelp[] = {
    " SHOW [MAIN1|MAIN2|PIP1|PIP2|MEM] [SA:addr] [FILL|GRID] [W:n H:n] [..]\n",
    " MAIN1..PIP2   - Window to draw into (default MAIN1): start, size, format.\n",
    " MEM           - Write at the start address instead of the window's lines.\n",
    " SA:addr       - Start address, hexadecimal (default: the window's start).\n",
    " OLD|FILL|GRID - RGB swatch (default), gradient fill or ruled grid.\n",
    " NAME          - Write the format's name on OLD and GRID where it fits.\n",
    " W:n H:n       - Pattern width and height, decimal (default: the window's).\n",
    " F:n           - Data format: 0 YUV 422, 1 YUV 422 separate, 2 YUV 420,\n",
    "                 3 YUV 420 separate, 4 RGB 565; 100+i: format i of SHOW ??\n",
    "                 (default: the window's format).\n",
    " LW:n          - GRID line and border width, decimal (default 1).\n",
    " GW:n GH:n     - GRID box width and height, decimal (default 100).\n",
    " FG:c BG:c     - GRID colours, RGB in hex (default FG:R00ff00 BG:0).\n",
    " ANI           - Animate until a key is pressed; SPACE steps frame by frame,\n",
    "                 SPACE again shows the next frame, another key resumes.\n",
    " G:n           - Pattern movement per frame, decimal (default 4).\n",
    " N:n           - Frames to draw, decimal.\n",
    " ST:n          - Milliseconds to animate, decimal.\n",
    " D:n           - Delay in microseconds after each memory unit, decimal.\n",
    " FPS           - Print the frame rate.\n",
    " FR:n          - Target frames per second, decimal (turns FPS on).\n",
    " SO:n SW:n     - Rectangle mode: line offset and width in 16-bit units\n",
    "                 (SW defaults to the pattern's line).\n",
    " HWC           - Through the host write window; needs F:0-4, SW, SH and SO.\n",
    " SH:n          - HWC rectangle height.\n",
    " ROT:n         - HWC rotation: 0, 90, 180 or 270.\n",
    " MIRROR        - Mirrored HWC write.\n",
    " HX:n HY:n     - HWC X and Y offset, decimal.\n",
    " VFR:n VLD:n   - VOUT frame rate 1 to 15 and line delay below 1024; each\n",
    "                 frame waits for the GPIO pin.\n",
    " GPIO:n        - GPIO pin to poll, 0 to 23 (default 0).\n",
    " SHOW ??       - This list and every format that F:100+i selects.\n",
    nullptr};

bool PrintLines(const char* const* lines) {
  for (; *lines != nullptr; lines++) {
    if (!OutPrintf(CH_OUT, "%s", *lines)) return false;
  }
  return true;
}

bool IsChipFormat(int index) {
  for (uint32_t type = 0; type < kDataTypeCount; type++) {
    if (DataTypeFormat(type) == index) return true;
  }
  return false;
}

bool PrintFormatList() {
  const char* const header[] = {
      "\n",
      "                 List of all possible formats for SHOW\n",
      "                 To use, specify F=n where n is the index as given below.\n",
      "                 Warning: The chip may not support the format specified.\n",
      "                 Index\tBPP\tFormat\t\tSub-ordering\n",
      "               -----------------------------------------------------------\n",
      nullptr};
  if (!PrintLines(header)) return false;
  for (int i = 0; i < kPixelFormatCount; i++) {
    const PixelFormat& f = PixelFormatAt(i);
    if (i > 0 && std::string_view(f.description) != PixelFormatAt(i - 1).description &&
        !OutPrintf(CH_OUT, "\n")) {
      return false;
    }
    bool ok = OutPrintf(CH_OUT, "               %c", IsChipFormat(i) ? '*' : ' ') &&
              (f.bitsPerPixel > 0 ? OutPrintf(CH_OUT, " %-5d\t %2d\t", i + 100, f.bitsPerPixel)
                                  : OutPrintf(CH_OUT, " %-5d\t(%d)\t", i + 100, -f.bitsPerPixel)) &&
              OutPrintf(CH_OUT, "%s \t%s\n", f.description, GetFormatSubOrder(i));
    if (!ok) return false;
  }
  const char* const legend[] = {
      "\n",
      "               * Indicates valid format on this chip\n",
      "               BPP: bits per pixel; (n): the average of a YUV format.\n",
      "               Sub-ordering: components from the high bits down within an\n",
      "               access unit; '-' the next unit, 'x' padding, a small letter\n",
      "               the low bits of its capital, '+' the next line, '@' the\n",
      "               chroma plane.\n",
      nullptr};
  return PrintLines(legend);
}

// ---- the plan: everything settled and checked before the first write ----

enum class WriteMode { kLinear, kRectangle, kHwc };

struct ShowPlan {
  PatternSpec pattern;
  int format = -1;
  uint32_t unit = 2;  // the format's access size: the width of the HAL writes
  uint64_t imageBytes = 0;
  WriteMode mode = WriteMode::kLinear;
  uint32_t start = 0;
  // Linear: rows of rowBytes, pitch bytes apart (4:2:0 line pairs travel as one row).
  uint64_t rowBytes = 0, rows = 0, pitch = 0;
  // Rectangle: width and line offset in 16-bit units.
  uint32_t rectWidth = 0, rectOffset = 0;
  HwcRectangle hwc;
  uint32_t dataType = 0;
  uint64_t span = 0;    // display memory one frame covers from its start
  uint64_t block = 0;   // MEM: how far apart successive frames lie
  uint32_t frames = 0;  // MEM: how many frames fit from the start on
};

bool Insufficient() {
  return OutPrintf(CH_ERR, "ERROR: Insufficient arguments.\n");
}

bool PlanFormat(const ShowRequest& r, ShowPlan* p) {
  p->format = r.given[kShowFormat] ? r.format : GetWindowPixelFormat(r.window);
  if (p->format < 0) {
    return OutPrintf(CH_ERR, "ERROR: Invalid bpp, can't determine color data format.\n");
  }
  p->unit = GetFormatAccessSize(p->format);
  return true;
}

void PlanPattern(const ShowRequest& r, ShowPlan* p) {
  ChipDef& chip = ChipModel();
  PatternSpec& s = p->pattern;
  s.kind = r.kind;
  s.width = OptionOr(r, kShowWidth, chip.GetValue(kWindowFeatures[r.window].width));
  s.height = OptionOr(r, kShowHeight, chip.GetValue(kWindowFeatures[r.window].height));
  s.lineWidth = OptionOr(r, kShowLineWidth, 1);
  s.boxWidth = OptionOr(r, kShowBoxWidth, 100);
  s.boxHeight = OptionOr(r, kShowBoxHeight, 100);
  s.foreground = OptionOr(r, kShowForeground, 0x00FF00);
  s.background = OptionOr(r, kShowBackground, 0);
  s.label = r.label ? GetFormatName(p->format) : nullptr;
}

bool PlanLinear(const ShowRequest& r, ShowPlan* p) {
  const PixelFormat& f = PixelFormatAt(p->format);
  uint64_t line = GetFormatLineSize(p->format, p->pattern.width);
  uint64_t stride = r.memory ? line : ChipModel().GetValue(kWindowFeatures[r.window].stride);
  bool pairs = f.sizeRule == SizeRule::kYuv420Pairs;
  p->rowBytes = pairs ? 2 * line : line;
  p->pitch = pairs ? 2 * stride : stride;
  p->rows = p->imageBytes / p->rowBytes;
  p->span = (p->rows - 1) * p->pitch + p->rowBytes;
  return CheckDisplayRange(p->start, p->span, p->unit);
}

bool PlanRectangle(const ShowRequest& r, ShowPlan* p) {
  uint64_t line = GetFormatLineSize(p->format, p->pattern.width);
  p->rectWidth = OptionOr(r, kShowRectWidth, static_cast<uint32_t>((line + 1) / 2));
  p->rectOffset = r.value[kShowRectOffset];
  p->span = RectangleSpan(p->imageBytes, 2ull * p->rectWidth, 2ull * p->rectOffset);
  // The rectangle engine moves 16-bit words, so a rectangle starts on one.
  return CheckDisplayRange(p->start, p->span, std::max(p->unit, 2u));
}

bool PlanHwc(const ShowRequest& r, ShowPlan* p) {
  bool known = false;
  for (uint32_t type = 0; type < kDataTypeCount && !known; type++) {
    known = DataTypeFormat(type) == p->format;
    if (known) p->dataType = type;
  }
  if (!known) return OutPrintf(CH_ERR, "ERROR: HWC takes the data formats F=0 to F=4 only.\n");
  if (r.given[kShowDelay]) return OutPrintf(CH_ERR, "ERROR: D= can't pace HWC writes.\n");
  p->hwc = {r.value[kShowHwcX],
            r.value[kShowHwcY],
            r.value[kShowRectWidth],
            r.value[kShowRectHeight],
            r.value[kShowRectOffset],
            r.value[kShowRotation],
            p->dataType == 2 || p->dataType == 3};
  p->span = HwcSpan(p->hwc);
  return CheckHwcTarget(p->start, p->hwc, p->imageBytes);
}

// MEM: each frame goes to the next block of memory, back to the start when the next would not
// fit; blocks keep every start on a 32-bit boundary.
void PlanMemoryFrames(const ShowRequest& r, ShowPlan* p) {
  p->block = (p->span + 3) & ~uint64_t{3};
  p->frames = 1;
  if (!r.memory) return;
  uint64_t room = DisplayMemorySize() - uint64_t{p->start} - p->span;
  p->frames = static_cast<uint32_t>(std::min<uint64_t>(room / p->block + 1, UINT32_MAX));
}

bool Plan(const ShowRequest& r, ShowPlan* p) {
  bool rectangle = r.given[kShowRectOffset];
  if (r.hwc &&
      !(rectangle && r.given[kShowRectWidth] && r.given[kShowRectHeight] && r.given[kShowFormat])) {
    return Insufficient();
  }
  if (!PlanFormat(r, p)) return false;
  PlanPattern(r, p);
  p->mode = r.hwc ? WriteMode::kHwc : rectangle ? WriteMode::kRectangle : WriteMode::kLinear;
  p->start = OptionOr(r, kShowStart, GetWindowStartAddress(r.window));
  if (p->pattern.width < 2 || p->pattern.height < 2) {
    return OutPrintf(CH_ERR, "ERROR: Width or height is too small.\n");
  }
  if (!PatternFits(p->pattern)) return false;
  p->imageBytes = GetFormatImageSize(p->format, p->pattern.width, p->pattern.height);
  // No pattern larger than display memory, whichever way it is written.
  if (p->imageBytes > DisplayMemorySize()) {
    return OutPrintf(
        CH_ERR, "ERROR: A %ux%u pattern of %llXh bytes is larger than display memory.\n",
        p->pattern.width, p->pattern.height, static_cast<unsigned long long>(p->imageBytes));
  }
  bool fits = p->mode == WriteMode::kHwc         ? PlanHwc(r, p)
              : p->mode == WriteMode::kRectangle ? PlanRectangle(r, p)
                                                 : PlanLinear(r, p);
  if (!fits) return false;
  PlanMemoryFrames(r, p);
  return true;
}

bool PrintDescription(const ShowRequest& r, const ShowPlan& p) {
  const WindowFeatures& keys = kWindowFeatures[r.window];
  bool bypass = ChipModel().GetValue(keys.lutBypass) != 0;
  bool ok =
      (r.memory ? OutPrintf(CH_OUT, "Memory, ") : OutPrintf(CH_OUT, "%s window, ", keys.name)) &&
      OutPrintf(CH_OUT, "%s", bypass ? "bypass, " : "no bypass, ") &&
      OutPrintf(CH_OUT, "%lux%lu, ", static_cast<unsigned long>(p.pattern.width),
                static_cast<unsigned long>(p.pattern.height)) &&
      OutPrintf(CH_OUT, "%s [suborder:%s]\n", GetFormatDescription(p.format),
                GetFormatSubOrder(p.format));
  if (!ok) return false;
  switch (p.mode) {
    case WriteMode::kHwc:
      return OutPrintf(CH_OUT, "Mode=HWC  RectWidth=%lu RectHeight=%lu RectOffset=%lu\n",
                       static_cast<unsigned long>(p.hwc.width),
                       static_cast<unsigned long>(p.hwc.height),
                       static_cast<unsigned long>(p.hwc.stride));
    case WriteMode::kRectangle:
      return OutPrintf(CH_OUT, "Mode=RECT  RectWidth=%lu RectOffset=%lu\n",
                       static_cast<unsigned long>(p.rectWidth),
                       static_cast<unsigned long>(p.rectOffset));
    case WriteMode::kLinear:
      break;
  }
  return OutPrintf(CH_OUT, "Mode=LINEAR\n");
}

// ---- writing one frame ----

void BurstWrite(uint32_t unit, uint32_t address, const uint8_t* data, uint64_t bytes) {
  uint32_t count = static_cast<uint32_t>(bytes / unit);
  if (unit == 1) qvBurstWriteMemory8(address, data, count);
  if (unit == 2) qvBurstWriteMemory16(address, reinterpret_cast<const uint16_t*>(data), count);
  if (unit == 4) qvBurstWriteMemory32(address, reinterpret_cast<const uint32_t*>(data), count);
}

// Where byte k of the frame lands in rectangle mode.
uint64_t RectanglePlace(const ShowPlan& p, uint64_t k) {
  uint64_t width = 2ull * p.rectWidth, stride = 2ull * p.rectOffset;
  return k / width * stride + k % width;
}

// D=: one unit at a time, the delay after each.
void WriteUnitByUnit(const ShowPlan& p, uint32_t start, const uint8_t* data, uint32_t delay) {
  for (uint64_t k = 0; k < p.imageBytes; k += p.unit) {
    uint64_t at = p.mode == WriteMode::kRectangle ? RectanglePlace(p, k)
                                                  : k / p.rowBytes * p.pitch + k % p.rowBytes;
    BurstWrite(p.unit, start + static_cast<uint32_t>(at), data + k, p.unit);
    DelayMicroseconds(delay);
  }
}

void WriteRectangle(const ShowPlan& p, uint32_t start, const uint8_t* data) {
  uint32_t w = p.rectWidth, s = p.rectOffset;
  uint64_t bytes = p.imageBytes;
  if (p.unit == 4) {
    qvBurstWriteRectMemory32(start, reinterpret_cast<const uint32_t*>(data),
                             static_cast<uint32_t>(bytes / 4), w, s);
  } else if (p.unit == 2) {
    qvBurstWriteRectMemory16(start, reinterpret_cast<const uint16_t*>(data),
                             static_cast<uint32_t>(bytes / 2), w, s);
  } else {
    // The engine moves whole words: an odd last byte goes alone to its place.
    qvBurstWriteRectMemory8(start, data, static_cast<uint32_t>(bytes & ~1ull), w, s);
    if (bytes & 1) {
      qvWriteMemory8(start + static_cast<uint32_t>(RectanglePlace(p, bytes - 1)), data[bytes - 1]);
    }
  }
}

void WriteLinear(const ShowPlan& p, uint32_t start, const uint8_t* data) {
  if (p.pitch == p.rowBytes) return BurstWrite(p.unit, start, data, p.imageBytes);
  for (uint64_t row = 0; row < p.rows; row++) {
    BurstWrite(p.unit, start + static_cast<uint32_t>(row * p.pitch), data + row * p.rowBytes,
               p.rowBytes);
  }
}

void WriteFrame(const ShowRequest& r, const ShowPlan& p, uint32_t start, const uint8_t* data) {
  if (r.given[kShowDelay]) return WriteUnitByUnit(p, start, data, r.value[kShowDelay]);
  switch (p.mode) {
    case WriteMode::kHwc:
      qvLcdDrawWindowImage(start, p.hwc.x, p.hwc.y, p.hwc.width, p.hwc.height, p.hwc.stride,
                           p.hwc.rotation, r.mirror, reinterpret_cast<const uint16_t*>(data));
      break;
    case WriteMode::kRectangle:
      WriteRectangle(p, start, data);
      break;
    case WriteMode::kLinear:
      WriteLinear(p, start, data);
      break;
  }
}

// ---- the frames ----

// The pattern rendered in 32-bit RGB and the frame in the target's format.
struct FrameBuffers {
  UnitBuffer rgb, frame;
  bool Allocate(const ShowPlan& p) {
    return rgb.Allocate(uint64_t{p.pattern.width} * p.pattern.height * 4) &&
           frame.Allocate(p.imageBytes);
  }
};

bool RenderFrame(const ShowPlan& p, uint32_t offset, FrameBuffers& b) {
  RenderPattern(p.pattern, offset, b.rgb.longs());
  ImageDesc source, target;
  source.buffer = b.rgb.bytes();
  source.bufferSize = b.rgb.size();
  source.formatName = "R888.xRGB";
  source.width = target.width = p.pattern.width;
  source.height = target.height = p.pattern.height;
  target.buffer = b.frame.bytes();
  target.bufferSize = b.frame.size();
  target.formatIndex = p.format;
  target.coding = CodingFromFlags(2);  // chroma offset
  if (ConvertImage(source, target) != 0) return true;
  return OutPrintf(CH_ERR, "ERROR: The pattern could not be converted to %s.\n",
                   GetFormatName(p.format));
}

// The periodic timer of ST=: its first tick ends the animation, and so does the monotonic clock
// passing the period, should the tick be late. Stopped when it goes.
class AnimationTimer {
 public:
  bool Start(uint32_t periodMs) {
    deadline_ = MonotonicNanoseconds() + uint64_t{periodMs} * 1000000;
    timer_ = StartPeriodicTimer(periodMs, Tick, &ticks_);
    return timer_ != nullptr ||
           OutPrintf(CH_ERR, "ERROR: The animation timer could not be started.\n");
  }
  ~AnimationTimer() { StopPeriodicTimer(timer_); }
  bool Expired() const { return ticks_.load() != 0 || MonotonicNanoseconds() >= deadline_; }

 private:
  static void Tick(void* ticks) { static_cast<std::atomic<uint32_t>*>(ticks)->fetch_add(1); }
  std::atomic<uint32_t> ticks_{0};
  uint64_t deadline_ = 0;
  PeriodicTimer* timer_ = nullptr;
};

// The keys of an animation: any key stops it, SPACE steps it one frame at a time until a key
// other than SPACE resumes it; Esc (and the end of piped input) always stops.
class AnimationKeys {
 public:
  explicit AnimationKeys(bool endless) : endless_(endless) {}
  // True when the animation goes on to another frame; in step mode it waits for the key.
  bool NextFrame() {
    if (!stepping_) {
      int key = PlaybackKey(endless_);
      if (key < 0) return true;
      if (key != ' ') return false;
      stepping_ = true;
    }
    int key = ReadPlaybackKey();
    if (key == kKeyEsc) return false;
    stepping_ = key == ' ';
    return true;
  }

 private:
  bool endless_;
  bool stepping_ = false;
};

bool Animate(const ShowRequest& r, const ShowPlan& p) {
  FrameBuffers buffers;
  if (!buffers.Allocate(p)) return false;
  std::optional<AnimationTimer> timer;
  if (r.given[kShowTime] && !timer.emplace().Start(r.value[kShowTime])) return false;
  const bool frameLimit = r.given[kShowFrames] || !r.animate;
  const uint32_t frames = OptionOr(r, kShowFrames, 1);
  const uint32_t increment = OptionOr(r, kShowIncrement, 4);
  AnimationKeys keys(r.animate && !r.given[kShowFrames] && !r.given[kShowTime]);
  int64_t waitUs = -1;  // after each frame, from the first frame's time (FR=)
  uint64_t firstUs = 0;
  uint32_t offset = 0;
  for (uint32_t n = 0;; n++) {
    uint64_t began = MonotonicNanoseconds();
    if (!RenderFrame(p, offset, buffers)) return false;
    uint32_t start = p.start + static_cast<uint32_t>((n % p.frames) * p.block);
    WriteFrame(r, p, start, buffers.frame.bytes());
    if (r.given[kShowFrameRate]) {
      int64_t took = static_cast<int64_t>((MonotonicNanoseconds() - began) / 1000);
      if (waitUs < 0) waitUs = std::max<int64_t>(0, 1000000 / r.value[kShowFrameRate] - took);
      DelayMicroseconds(static_cast<uint32_t>(waitUs));
    }
    if (r.given[kShowVoutRate] && !PollGpioPin(r.value[kShowGpio])) return false;
    if (n == 0) firstUs = std::max<uint64_t>((MonotonicNanoseconds() - began) / 1000, 1);
    offset += increment;
    if (frameLimit && n + 1 >= frames) break;
    if (timer && timer->Expired()) break;
    if (r.animate && !keys.NextFrame()) break;
  }
  if (!r.fps) return true;
  return OutPrintf(CH_OUT, "Frame rate: %d fps\n", static_cast<int>(1000000 / firstUs));
}

bool CmdShow(int argc, ArgSlot* argv, Value*) {
  if (argv[1][0] == '?') {
    return PrintLines(kShowHelp) && (std::string_view(argv[1]) != "??" || PrintFormatList());
  }
  ShowRequest request;
  ShowPlan plan;
  if (!ParseShowWords(argc, argv, &request) || !Plan(request, &plan)) return false;
  if (plan.mode == WriteMode::kHwc) qvLcdSetWindowImageFormat(plan.dataType, false);
  if (!PrintDescription(request, plan)) return false;
  std::optional<VoutSettings> vout;
  if (request.given[kShowVoutRate]) {
    vout.emplace(request.value[kShowVoutRate], request.value[kShowVoutDelay]);
  }
  return Animate(request, plan);
}

}  // namespace

const CommandRow kShowRow = {
    BASIC, "show;sh", CmdShow, kNeedsCard,
    "SHOW [MAIN1|MAIN2|PIP1|PIP2|MEM] [..]     - Shows a test pattern to screen"};
