// FLOAD: a binary file, a picture or a numbered series of pictures into display memory (linear,
// as a rectangle or through the host write window), a register or the program's own memory.
// Every range is checked against display memory before anything is sent.
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "chipdef/chipdef.h"
#include "console/output.h"
#include "display/file_commands.h"
#include "display/file_transfer.h"
#include "display/frame_pacing.h"
#include "display/hwc_target.h"
#include "display/picture_codec.h"
#include "display/picture_file.h"
#include "display/pixel_format.h"
#include "display/transfer_options.h"
#include "display/windows.h"
#include "hal/hal.h"
#include "interp/args.h"
#include "interp/memory_range.h"
#include "lang/own_memory.h"
#include "platform/timing.h"

namespace {

const char* const kLoadHelp[] = {
    " Loads a file into display memory, a register or the program's own memory.\n",
    " 8|16|32   - Unit size in bits (default 16); files hold units low byte first.\n",
    " Filename  - The file to read; an expression (a variable) may give it.\n",
    "             .bmp (24, 32 bits), .ppm (P3, P6) and .png are pictures, converted\n",
    "             to the F= format (into MEM without F=: 4, RGB 565); .yuv files are\n",
    "             raw frames; anything else is raw binary. Four digits before the\n",
    "             extension (clip_0000.bmp) start a numbered series of frames.\n",
    " Area      - MEM or M: display memory; REG or R: registers from index Start;\n",
    "             SYS or S: the program's own memory at address Start.\n",
    " Start     - First address or register index (hexadecimal).\n",
    " End|Len   - Last address (included), L and a number of units, or * for the\n",
    "             rest of the file.\n",
    " Options, in any order; a number in fifth place is the repeat count, and *\n",
    " there loads up to the end of the file:\n",
    " N=n       - Repeat count, decimal (default 1).\n",
    " D=n       - Delay in microseconds after each write, decimal.\n",
    " B=ON|OFF  - Burst (block) writes (default ON).\n",
    " F=n       - Data format: 0 YUV 422, 1 YUV 422 separate, 2 YUV 420,\n",
    "             3 YUV 420 separate, 4 RGB 565; pictures get chroma offset.\n",
    " O=n       - Starting byte offset in the file, hexadecimal.\n",
    " EOF       - Load up to the end of the file (overrides N=).\n",
    " SW:n      - Rectangle width in 16-bit pixels, decimal.\n",
    " SH:n      - Rectangle height in lines, decimal.\n",
    " SO:n      - Rectangle line offset in 16-bit pixels: rectangle mode.\n",
    " HWC       - Through the host write window (needs SO, F, and SW and SH\n",
    "             or a picture, which gives them).\n",
    " ROT:n     - HWC rotation: 0, 90, 180 or 270.\n",
    " MIRROR    - Mirrored HWC write.\n",
    " HX:n HY:n - HWC X and Y offset, decimal.\n",
    " VN=ON|OFF - Wait for the rising edge of the VNDP status before each frame.\n",
    " A=ON|OFF  - Load every numbered frame that exists (default OFF).\n",
    " FRM:n     - Number of numbered frames, decimal (default 1).\n",
    " L=n       - Passes over the frames; 0 repeats until a key is pressed.\n",
    " FPS       - Print the frame rate of the first pass.\n",
    " FR:n      - Target frames per second, decimal (turns FPS on).\n",
    " VFR:n     - VOUT frame rate 1 to 15; each frame waits for the GPIO pin.\n",
    " VLD:n     - VOUT line delay below 1024, decimal.\n",
    " GPIO:n    - GPIO pin to poll, 0 to 23 (default 0).\n",
    " Examples:\n",
    "   FLOAD main1.ppm MEM 0 *\n",
    "   FLOAD clip_0000.bmp MEM 80000 * SO:320 HWC F=4 A=ON L=0 FR:30\n",
    "   FLOAD16 lut.bin REG 502 L1 *\n",
    " Notes: a load that would run past the end of display memory is refused\n",
    " before anything is written; a raw file shorter than the range writes\n",
    " only the bytes it holds.\n",
    nullptr};

enum class MemoryMode { kLinear, kRectangle, kHwc };

struct Load {
  std::string name;
  FileKind kind = FileKind::kOther;
  TransferArea area = TransferArea::kMemory;
  uint32_t unit = 2;
  uint32_t start = 0;
  bool lengthSet = false;
  uint32_t length = 0;  // bytes
  TransferOptions o;
  int format = -1;  // pictures: the table format they are converted to
  MemoryMode mode = MemoryMode::kLinear;
  bool vndp = false;  // wait for the VNDP edge before each frame
  uint32_t pictureWidth = 0, pictureHeight = 0;
  uint64_t fileSize = 0;
};

bool Given(const Load& l, uint32_t TransferOptions::*field) {
  return OptionGiven(l.o, field);
}

bool Insufficient() {
  return OutPrintf(CH_ERR, "ERROR: Insufficient arguments.\n");
}

bool ParseLoad(int argc, ArgSlot* argv, Load* l) {
  if (!TransferUnit(argv[0], 2, &l->unit)) return false;
  if (!ParseStart(argv[3], 0, 0, &l->start)) return false;
  l->lengthSet = std::strcmp(argv[4], "*") != 0;
  if (l->lengthSet && !ParseEndOrLen(argv[4], l->start, l->unit, 0, &l->length)) return false;
  if (!ParseTransferWords(argc, argv, TransferCommand::kLoad, &l->o)) return false;
  l->name = FileNameArgument(argv[1], 16);
  l->kind = FileKindOf(l->name);
  if (!ParseArea(argv[2], &l->area)) {
    return OutPrintf(CH_ERR, "ERROR: FLOAD requires MEM, REG or SYS specifier.\n");
  }
  return true;
}

// The checks that need no file.
bool CheckOptions(Load* l) {
  TransferOptions& o = l->o;
  bool picture = IsPicture(l->kind);
  bool rectangle =
      Given(*l, &TransferOptions::rectWidth) && Given(*l, &TransferOptions::rectHeight);
  bool offset = Given(*l, &TransferOptions::rectOffset);
  bool format = Given(*l, &TransferOptions::format);
  if (o.hwc && !(offset && format && (rectangle || picture))) return Insufficient();
  if (!o.hwc && offset && !(rectangle || picture)) return Insufficient();
  if (picture && l->area != TransferArea::kMemory && !format) {
    return OutPrintf(CH_ERR, "ERROR: Host write data input format must be specified.\n");
  }
  if (o.toEnd) o.repeatToEnd = 1;
  l->format = DataTypeFormat(format ? o.format : kDataTypeCount - 1);
  l->mode = o.hwc ? MemoryMode::kHwc : offset ? MemoryMode::kRectangle : MemoryMode::kLinear;
  l->vndp = o.vndp && ChipModel().GetValue("paneltype") < 2;
  return true;
}

bool CannotOpen(const std::string& name) {
  return OutPrintf(CH_ERR, "ERROR: Could not open file '%s' for binary reading.\n", name.c_str());
}

bool Exists(const std::string& name) {
  FilePtr file(std::fopen(name.c_str(), "rb"));
  return file != nullptr;
}

// The picture's size; the header's faults are reported by GetImageSize, a missing file here.
bool PictureSize(const std::string& name, uint32_t* width, uint32_t* height) {
  return GetImageSize(name.c_str(), width, height) || (Exists(name) ? false : CannotOpen(name));
}

bool OpenInput(Load* l, FilePtr* file) {
  file->reset(std::fopen(l->name.c_str(), "rb"));
  struct stat info;
  if (*file == nullptr || fstat(fileno(file->get()), &info) != 0) return CannotOpen(l->name);
  l->fileSize = S_ISREG(info.st_mode) ? static_cast<uint64_t>(info.st_size) : 0;
  if (l->fileSize < l->o.offset || std::fseek(file->get(), l->o.offset, SEEK_SET) != 0) {
    return OutPrintf(CH_ERR, "ERROR: Reached end of file before starting offset %lXh reached.\n",
                     static_cast<unsigned long>(l->o.offset));
  }
  return true;
}

// A picture gives the rectangle its size when SW and SH are not given.
bool ReadPictureSize(Load* l) {
  if (!IsPicture(l->kind)) return true;
  if (!PictureSize(l->name, &l->pictureWidth, &l->pictureHeight)) return false;
  if (!Given(*l, &TransferOptions::rectWidth)) l->o.rectWidth = l->pictureWidth;
  if (!Given(*l, &TransferOptions::rectHeight)) l->o.rectHeight = l->pictureHeight;
  return true;
}

// ---- where the data come from, for registers and host memory ----

// Units from the rest of the raw file, or from a converted picture.
class UnitSource {
 public:
  UnitSource(FILE* file, uint64_t left) : file_(file), left_(left) {}
  UnitSource(const uint8_t* data, uint64_t size) : data_(data), left_(size) {}
  uint64_t Left() const { return left_; }
  // False when fewer than unit bytes are left.
  bool Next(uint32_t unit, uint32_t* value) {
    uint8_t bytes[4];
    if (left_ < unit) return false;
    if (data_ != nullptr) {
      std::memcpy(bytes, data_, unit);
      data_ += unit;
    } else if (std::fread(bytes, 1, unit, file_) != unit) {
      left_ = 0;
      return false;
    }
    left_ -= unit;
    *value = LoadUnit(bytes, unit);
    return true;
  }

 private:
  FILE* file_ = nullptr;
  const uint8_t* data_ = nullptr;
  uint64_t left_ = 0;
};

// Repetitions that "*" or EOF ask for: as many ranges as the data hold, at least one.
uint32_t RepeatsToEnd(uint64_t left, uint64_t range) {
  uint64_t n = range == 0 ? 1 : left / range;
  return static_cast<uint32_t>(std::clamp<uint64_t>(n, 1, UINT32_MAX));
}

bool LoadSystem(const Load& l, UnitSource& source) {
  uint64_t length = !l.lengthSet || l.o.toEnd ? source.Left() : l.length;
  uint32_t repeat = l.o.toEnd              ? 1
                    : l.o.repeatToEnd != 0 ? RepeatsToEnd(source.Left(), length)
                                           : l.o.repeat;
  if (!OutPrintf(CH_OUT,
                 "%s->System  Delay=%luus Start=%05lXh Len=%05lXh Data=%d bits\nnTimes=%lu "
                 "offset=%lXh\n",
                 l.name.c_str(), static_cast<unsigned long>(l.o.delay),
                 static_cast<unsigned long>(l.start), static_cast<unsigned long>(length / l.unit),
                 static_cast<int>(l.unit * 8), static_cast<unsigned long>(repeat),
                 static_cast<unsigned long>(l.o.offset))) {
    return false;
  }
  for (uint32_t r = 0; r < repeat; r++) {
    for (uint64_t i = 0; i < length / l.unit; i++) {
      uint32_t value = 0;
      if (!source.Next(l.unit, &value)) return true;
      uint32_t address = l.start + static_cast<uint32_t>(i * l.unit);
      if (!WriteOwnMemory(address, l.unit, value)) {
        return OutPrintf(CH_ERR, "ERROR: The program cannot access memory at address %08Xh.\n",
                         address);
      }
      DelayMicroseconds(l.o.delay);
    }
  }
  return true;
}

bool PrintRegisterHeader(const Load& l, uint64_t units, uint64_t repeat) {
  return OutPrintf(CH_OUT,
                   "%s->Register  Start=%05lXh Len=%05lXh Data=%d bits\nnTimes=%lu offset=%lXh\n",
                   l.name.c_str(), static_cast<unsigned long>(l.start),
                   static_cast<unsigned long>(units), static_cast<int>(l.unit * 8),
                   static_cast<unsigned long>(repeat), static_cast<unsigned long>(l.o.offset));
}

// One register written repeat-count times in one block.
bool LoadRegisterBurst(const Load& l, UnitSource& source) {
  uint64_t wanted = l.o.repeatToEnd != 0 ? source.Left() / l.unit : l.o.repeat;
  UnitBuffer data;
  if (!data.Allocate(std::min(wanted, source.Left() / l.unit) * l.unit)) return false;
  uint32_t n = 0;
  for (uint32_t value = 0; n < wanted && source.Next(l.unit, &value); n++) {
    StoreUnit(data.bytes() + uint64_t{n} * l.unit, l.unit, value);
  }
  if (!PrintRegisterHeader(l, 1, n)) return false;
  if (l.unit == 1) qvBurstWriteReg8(l.start, data.bytes(), n);
  if (l.unit == 2) qvBurstWriteReg16(l.start, data.words(), n);
  if (l.unit == 4) qvBurstWriteReg32(l.start, data.longs(), n);
  return true;
}

bool LoadRegister(const Load& l, UnitSource& source) {
  if (l.unit > 1 && (l.start & 1)) {
    return OutPrintf(CH_ERR, "ERROR: Register index %04Xh isn't even.\n", l.start);
  }
  uint32_t length = l.lengthSet ? l.length : l.unit;
  if (l.o.burst && length == l.unit && l.o.delay == 0) return LoadRegisterBurst(l, source);
  uint32_t units = length / l.unit;
  uint32_t repeat = l.o.repeatToEnd != 0 ? RepeatsToEnd(source.Left(), length) : l.o.repeat;
  if (!PrintRegisterHeader(l, units, repeat)) return false;
  for (uint32_t r = 0; r < repeat; r++) {
    for (uint32_t i = 0; i < units; i++) {
      uint32_t value = 0;
      if (!source.Next(l.unit, &value)) return true;
      qvWriteRegByWidth(l.start + i * l.unit, l.unit, value);
      DelayMicroseconds(l.o.delay);
    }
  }
  return true;
}

// ---- display memory ----

// The host write window's rectangle of the load.
HwcRectangle HwcOf(const Load& l) {
  const TransferOptions& o = l.o;
  return {o.hwcX,
          o.hwcY,
          o.rectWidth,
          o.rectHeight,
          o.rectOffset,
          o.rotation,
          o.format == 2 || o.format == 3};
}

// The display memory that bytes of data cover from the start, for the mode they are written in.
bool CheckMemoryTarget(const Load& l, uint64_t bytes) {
  if (!l.o.burst || l.mode == MemoryMode::kLinear) return CheckDisplayRange(l.start, bytes, l.unit);
  if (l.mode == MemoryMode::kHwc) return CheckHwcTarget(l.start, HwcOf(l), bytes);
  // The rectangle engine moves 16-bit words, so a rectangle starts on one.
  uint64_t span = RectangleSpan(bytes, 2ull * l.o.rectWidth, 2ull * l.o.rectOffset);
  return CheckDisplayRange(l.start, span, std::max(l.unit, 2u));
}

// The bytes past the whole units (and, for 8-bit rectangles, past the even part), one at a time
// at their place in the rectangle or the line.
void WriteTail(const Load& l, const uint8_t* data, uint64_t from, uint64_t bytes) {
  uint64_t line = 2ull * l.o.rectWidth, stride = 2ull * l.o.rectOffset;
  for (uint64_t k = from; k < bytes; k++) {
    uint64_t at = l.mode == MemoryMode::kRectangle ? k / line * stride + k % line : k;
    qvWriteMemory8(l.start + static_cast<uint32_t>(at), data[k]);
  }
}

void WriteUnitByUnit(const Load& l, const uint8_t* data, uint64_t bytes) {
  for (uint64_t i = 0; i + l.unit <= bytes; i += l.unit) {
    uint32_t address = l.start + static_cast<uint32_t>(i);
    uint32_t value = LoadUnit(data + i, l.unit);
    if (l.unit == 1) qvWriteMemory8(address, value);
    if (l.unit == 2) qvFillMemory16(address, value, 1);
    if (l.unit == 4) qvFillMemory32(address, value, 1);
    DelayMicroseconds(l.o.delay);
  }
}

// Writes one frame (or the raw range) as the mode says; data are aligned for 32-bit access.
void WriteMemory(const Load& l, const uint8_t* data, uint64_t bytes) {
  if (!l.o.burst) {
    WriteUnitByUnit(l, data, bytes);
    return;
  }
  auto words = reinterpret_cast<const uint16_t*>(data);
  auto longs = reinterpret_cast<const uint32_t*>(data);
  const TransferOptions& o = l.o;
  if (l.mode == MemoryMode::kHwc) {
    qvLcdDrawWindowImage(l.start, o.hwcX, o.hwcY, o.rectWidth, o.rectHeight, o.rectOffset,
                         o.rotation, o.mirror != 0, words);
    return;
  }
  bool rect = l.mode == MemoryMode::kRectangle;
  // An 8-bit rectangle moves whole words; every other form moves whole units.
  uint32_t units = static_cast<uint32_t>(rect && l.unit == 1 ? bytes & ~1ull : bytes / l.unit);
  uint32_t w = o.rectWidth, s = o.rectOffset;
  switch (l.unit) {
    case 1:
      rect ? qvBurstWriteRectMemory8(l.start, data, units, w, s)
           : qvBurstWriteMemory8(l.start, data, units);
      break;
    case 2:
      rect ? qvBurstWriteRectMemory16(l.start, words, units, w, s)
           : qvBurstWriteMemory16(l.start, words, units);
      break;
    default:
      rect ? qvBurstWriteRectMemory32(l.start, longs, units, w, s)
           : qvBurstWriteMemory32(l.start, longs, units);
      break;
  }
  WriteTail(l, data, uint64_t{units} * l.unit, bytes);
}

bool PrintMemoryMode(const Load& l) {
  const TransferOptions& o = l.o;
  unsigned long w = o.rectWidth, h = o.rectHeight, s = o.rectOffset;
  switch (l.mode) {
    case MemoryMode::kHwc:
      return OutPrintf(CH_OUT, "Mode=HWC  RectWidth=%lu RectHeight=%lu RectOffset=%lu\n", w, h, s);
    case MemoryMode::kRectangle:
      return OutPrintf(CH_OUT, "Mode=RECT  RectWidth=%lu RectHeight=%lu RectOffset=%lu\n", w, h, s);
    case MemoryMode::kLinear:
      break;
  }
  return OutPrintf(CH_OUT, "Mode=LINEAR\n");
}

bool PrintMemoryHeader(const Load& l, uint64_t bytes, uint32_t repeat, const char* tail) {
  return OutPrintf(CH_OUT,
                   "%s->Memory  Delay=%luus Start=%05lXh Len=%05lXh Data=%d-bits\nnTimes=%lu "
                   "offset=%lXh%s",
                   l.name.c_str(), static_cast<unsigned long>(l.o.delay),
                   static_cast<unsigned long>(l.start), static_cast<unsigned long>(bytes / l.unit),
                   static_cast<int>(l.unit * 8), static_cast<unsigned long>(repeat),
                   static_cast<unsigned long>(l.o.offset), tail);
}

bool LoadRawMemory(const Load& l, FILE* file) {
  uint64_t left = l.fileSize - l.o.offset;
  uint64_t wanted = l.lengthSet ? l.length : left;
  uint64_t bytes = std::min(wanted, left);
  bytes -= bytes % l.unit;
  uint32_t repeat = l.o.repeatToEnd != 0 ? RepeatsToEnd(left, bytes) : l.o.repeat;
  if (!CheckMemoryTarget(l, bytes)) return false;
  if (l.mode == MemoryMode::kHwc) qvLcdSetWindowImageFormat(l.o.format, false);
  if (!PrintMemoryMode(l) || !PrintMemoryHeader(l, bytes, repeat, "\n")) return false;
  if (wanted > bytes &&
      !OutPrintf(CH_OUT,
                 "WARNING: '%s' holds %llXh bytes from offset %lXh: only they are written.\n",
                 l.name.c_str(), static_cast<unsigned long long>(bytes),
                 static_cast<unsigned long>(l.o.offset))) {
    return false;
  }
  UnitBuffer data;
  if (!data.Allocate(bytes)) return false;
  if (std::fread(data.bytes(), 1, bytes, file) != bytes) {
    return OutPrintf(CH_ERR, "ERROR: '%s' could not be read.\n", l.name.c_str());
  }
  for (uint32_t r = 0; r < repeat; r++) {
    if (l.vndp && !WaitVndpRisingEdge()) return false;
    WriteMemory(l, data.bytes(), bytes);
    if (l.o.burst) DelayMicroseconds(l.o.delay);
  }
  return true;
}

// ---- frames: pictures and raw YUV, one file or a numbered series ----

struct Series {
  std::string base;       // the name before the number
  std::string extension;  // as typed, from the dot
  uint32_t first = 0;
  bool numbered = false;
};

Series FindSeries(const std::string& name) {
  Series s;
  size_t slash = name.rfind('/');
  size_t dot = name.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return s;
  size_t stem = slash == std::string::npos ? 0 : slash + 1;
  s.extension = name.substr(dot);
  if (dot - stem < 4) return s;
  for (size_t i = dot - 4; i < dot; i++) {
    if (name[i] < '0' || name[i] > '9') return s;
  }
  s.base = name.substr(0, dot - 4);
  s.first = static_cast<uint32_t>(std::stoul(name.substr(dot - 4, 4)));
  s.numbered = true;
  return s;
}

// Frame n of the series: the extension as typed, else in lower case.
bool FrameFile(const Series& s, uint32_t n, std::string* name) {
  char number[8];
  std::snprintf(number, sizeof number, "%04u", n);
  std::string lower = s.extension;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (const std::string& extension : {s.extension, lower}) {
    *name = s.base + number + extension;
    if (Exists(*name)) return true;
  }
  return false;
}

// The files to play: the named one, and with A=ON or FRM the numbered ones after it that exist.
std::vector<std::string> FrameNames(const Load& l) {
  std::vector<std::string> names{l.name};
  Series s = FindSeries(l.name);
  if (!s.numbered) return names;
  std::string next;
  for (uint32_t n = s.first + 1; n <= 9999 && (l.o.all || names.size() < l.o.frames); n++) {
    if (!FrameFile(s, n, &next)) break;
    names.push_back(next);
  }
  return names;
}

bool LoadFrame(const Load& l, const std::string& name, uint8_t* slot, uint64_t frameSize) {
  if (IsPicture(l.kind)) {
    uint32_t width = 0, height = 0;
    if (!PictureSize(name, &width, &height)) return false;
    if (width != l.pictureWidth || height != l.pictureHeight) {
      return OutPrintf(CH_ERR, "ERROR: '%s' is %ux%u pixels, but the series started with %ux%u.\n",
                       name.c_str(), width, height, l.pictureWidth, l.pictureHeight);
    }
    return LoadPicture(name.c_str(), slot, frameSize, l.format, 2);
  }
  FilePtr file(std::fopen(name.c_str(), "rb"));
  struct stat info;
  if (file == nullptr || fstat(fileno(file.get()), &info) != 0) return CannotOpen(name);
  if (static_cast<uint64_t>(info.st_size) != l.o.offset + frameSize ||
      std::fseek(file.get(), l.o.offset, SEEK_SET) != 0 ||
      std::fread(slot, 1, frameSize, file.get()) != frameSize) {
    return OutPrintf(CH_ERR, "ERROR: '%s' doesn't hold a frame of %llXh bytes like the first.\n",
                     name.c_str(), static_cast<unsigned long long>(frameSize));
  }
  return true;
}

// Frames lie in the buffer this far apart, so that each starts aligned for 32-bit access.
uint64_t SlotSize(uint64_t frameSize) {
  return (frameSize + 3) & ~uint64_t{3};
}

// Plays the frames: each pass writes them in order, paced by VNDP, the frame rate and the GPIO
// pin; the first pass is timed.
bool Play(const Load& l, UnitBuffer& frames, uint64_t frameSize, size_t count) {
  const TransferOptions& o = l.o;
  bool endless = Given(l, &TransferOptions::loops) && o.loops == 0;
  uint32_t passes = Given(l, &TransferOptions::loops) ? o.loops : 1;
  int64_t waitUs = -1;  // after each frame, from the first frame's write time
  uint64_t started = MonotonicNanoseconds();
  uint64_t firstPassUs = 0;
  size_t firstPassFrames = 0;
  bool stopped = false;
  for (uint32_t pass = 0; !stopped && (endless || pass < passes); pass++) {
    for (size_t i = 0; i < count; i++) {
      if (PlaybackStopRequested(false)) {
        stopped = true;
        break;
      }
      if (l.vndp && !WaitVndpRisingEdge()) return false;
      uint64_t before = MonotonicNanoseconds();
      WriteMemory(l, frames.bytes() + i * SlotSize(frameSize), frameSize);
      if (o.frameRate != 0) {
        int64_t written = static_cast<int64_t>((MonotonicNanoseconds() - before) / 1000);
        if (waitUs < 0) waitUs = std::max<int64_t>(0, 1000000 / o.frameRate - written);
        DelayMicroseconds(static_cast<uint32_t>(waitUs));
      }
      if (Given(l, &TransferOptions::voutRate) && !PollGpioPin(o.gpio)) return false;
      if (o.burst) DelayMicroseconds(o.delay);
      if (pass == 0) firstPassFrames = i + 1;
    }
    if (pass == 0) firstPassUs = (MonotonicNanoseconds() - started) / 1000;
    if (endless && !stopped) stopped = PlaybackStopRequested(true);
  }
  if (o.fps == 0 && o.frameRate == 0) return true;
  uint64_t rate = firstPassFrames * 1000000ull / std::max<uint64_t>(firstPassUs, 1);
  return OutPrintf(CH_OUT, "Frame rate: %d fps\n", static_cast<int>(rate));
}

bool LoadFrames(const Load& l) {
  uint64_t frameSize = IsPicture(l.kind)
                           ? GetFormatImageSize(l.format, l.pictureWidth, l.pictureHeight)
                           : l.fileSize - l.o.offset;
  char tail[64];
  std::snprintf(tail, sizeof tail, " frames=%lu LoadAll=%s\n",
                static_cast<unsigned long>(l.o.frames), l.o.all ? "On" : "Off");
  if (!PrintMemoryHeader(l, frameSize, l.o.repeat, tail)) return false;
  if (frameSize == 0) {
    return OutPrintf(CH_ERR, "ERROR: '%s' holds no data after offset %lXh.\n", l.name.c_str(),
                     static_cast<unsigned long>(l.o.offset));
  }
  if (!CheckMemoryTarget(l, frameSize)) return false;
  bool buffering = FindSeries(l.name).numbered && (l.o.all || l.o.frames >= 2);
  if (buffering && !OutPrintf(CH_OUT, "Buffering data...\n")) return false;
  std::vector<std::string> names = FrameNames(l);
  if (names.size() * frameSize > kMaxPictureBytes) {
    return OutPrintf(CH_ERR, "ERROR: %zu frames of %llXh bytes need more than 256 MiB.\n",
                     names.size(), static_cast<unsigned long long>(frameSize));
  }
  UnitBuffer frames;
  if (!frames.Allocate(names.size() * SlotSize(frameSize))) return false;
  for (size_t i = 0; i < names.size(); i++) {
    if (!LoadFrame(l, names[i], frames.bytes() + i * SlotSize(frameSize), frameSize)) return false;
    if (names.size() > 1 && !OutPrintf(CH_OUT, "loaded %s\n", names[i].c_str())) return false;
  }
  if (l.mode == MemoryMode::kHwc) qvLcdSetWindowImageFormat(l.o.format, false);
  return Play(l, frames, frameSize, names.size());
}

bool RunLoad(Load& l) {
  FilePtr file;
  if (!OpenInput(&l, &file) || !ReadPictureSize(&l)) return false;
  std::optional<VoutSettings> vout;
  if (Given(l, &TransferOptions::voutRate)) vout.emplace(l.o.voutRate, l.o.voutDelay);
  bool frames = IsPicture(l.kind) || l.kind == FileKind::kYuv;
  if (l.area == TransferArea::kMemory) return frames ? LoadFrames(l) : LoadRawMemory(l, file.get());
  UnitBuffer picture;
  std::optional<UnitSource> source;
  if (IsPicture(l.kind)) {
    uint64_t size = GetFormatImageSize(l.format, l.pictureWidth, l.pictureHeight);
    if (!picture.Allocate(size) ||
        !LoadPicture(l.name.c_str(), picture.bytes(), size, l.format, 2)) {
      return false;
    }
    source.emplace(picture.bytes(), size);
  } else {
    source.emplace(file.get(), l.fileSize - l.o.offset);
  }
  if (l.area == TransferArea::kSystem) return LoadSystem(l, *source);
  return LoadRegister(l, *source);
}

bool CmdFileLoad(int argc, ArgSlot* argv, Value*) {
  if (argv[1][0] == '?') {
    return ShowTransferHelp(argv[0], "Filename Area Start [End|Len] [Options..]", kLoadHelp);
  }
  if (argc < 5) return OutPrintf(CH_ERR, "ERROR: FLOAD requires a minimum of four arguments.\n");
  Load l;
  return ParseLoad(argc, argv, &l) && CheckOptions(&l) && RunLoad(l);
}

}  // namespace

const CommandRow kFileLoadRow = {ADVANCED, "fload;fload8;fload16;fload32", CmdFileLoad, kNeedsCard,
                                 "FLOAD[8|16|32] file area s [e|len] [..]   - Read from file"};
