// FDUMP: display memory, registers or the program's own memory into a binary file or a picture.
// Everything is checked before the output file is opened, and the file takes its name only when
// it is complete.
#include <algorithm>
#include <string>

#include "base/helper.h"
#include "console/output.h"
#include "display/file_commands.h"
#include "display/file_transfer.h"
#include "display/output_file.h"
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

const char* const kDumpHelp[] = {
    " Writes display memory, registers or the program's own memory to a file.\n",
    " 8|16|32   - Unit size in bits (default 8); files hold units low byte first.\n",
    " Filename  - The file to write; an expression (a variable) may give it. NUL\n",
    "             reads the data and writes nothing. A name ending in .ppm or .png\n",
    "             writes a picture (PPM P6, PNG) that an image viewer opens; it\n",
    "             needs W=, H= and F=.\n",
    " Area      - MEM or M: display memory; REG or R: registers from index Start;\n",
    "             SYS or S: the program's own memory at address Start.\n",
    " Start     - First address or register index (hexadecimal).\n",
    " End|Len   - Last address (included), or L and a number of units.\n",
    " Options, in any order; a number in fifth place is the repeat count:\n",
    " A=ON|OFF  - Append to the file (default OFF: the file is replaced).\n",
    " B=ON|OFF  - Burst (block) reads (default ON); pictures need it.\n",
    " N=n       - Repeat count, decimal (default 1): the range n times over.\n",
    " D=n       - Delay in microseconds after each read, decimal.\n",
    " SW:n      - Rectangle width in 16-bit pixels, decimal (needs SO).\n",
    " SO:n      - Rectangle line offset in 16-bit pixels, decimal (needs SW).\n",
    " W=n H=n   - Picture width and height in pixels, decimal.\n",
    " F=n       - Picture data format: 0 YUV 422, 1 YUV 422 separate,\n",
    "             2 YUV 420, 3 YUV 420 separate, 4 RGB 565.\n",
    " Examples:\n",
    "   FDUMP16 lines.bin MEM 0 L100 N=2\n",
    "   FDUMP main1.png MEM 0 L25800 W=320 H=240 F=4\n",
    " Notes: a range that runs past the end of display memory is refused before\n",
    " anything is read; a register picture reads one register repeatedly, so\n",
    " its range is one unit.\n",
    nullptr};

struct Dump {
  std::string name;
  FileKind kind = FileKind::kOther;
  bool toNothing = false;  // NUL
  TransferArea area = TransferArea::kMemory;
  uint32_t unit = 1;
  uint32_t start = 0;
  uint32_t count = 0;  // units of the range
  TransferOptions o;
  bool rectangle = false;
  bool registerBurst = false;  // one register, read repeat-count times in one block
  int format = -1;             // pictures
};

const char* KindLabel(FileKind kind) {
  return kind == FileKind::kPng ? "PNG" : "PPM";
}

bool ParseDump(int argc, ArgSlot* argv, Dump* d) {
  uint32_t length = 0;
  if (!TransferUnit(argv[0], 1, &d->unit)) return false;
  if (!ParseStart(argv[3], 0, 0, &d->start)) return false;
  if (!ParseEndOrLen(argv[4], d->start, d->unit, 0, &length)) return false;
  if (!ParseTransferWords(argc, argv, TransferCommand::kDump, &d->o)) return false;
  d->name = FileNameArgument(argv[1], 16);
  d->kind = FileKindOf(d->name);
  d->toNothing = EqualsNoCase(d->name, "NUL");
  d->count = length / d->unit;
  d->rectangle = OptionGiven(d->o, &TransferOptions::rectWidth);
  if (!ParseArea(argv[2], &d->area)) {
    return OutPrintf(CH_ERR, "ERROR: FDUMP requires MEM, REG or SYS specifier.\n");
  }
  d->registerBurst =
      d->area == TransferArea::kRegister && d->o.burst && d->count == 1 && d->o.delay == 0;
  return true;
}

bool IsPictureDump(const Dump& d) {
  return !d.toNothing && (d.kind == FileKind::kPpm || d.kind == FileKind::kPng);
}

// The bytes one dump gathers: the range, or the repeated register.
uint64_t GatheredBytes(const Dump& d) {
  return uint64_t{d.registerBurst ? d.o.repeat : d.count} * d.unit;
}

bool CheckPicture(Dump* d) {
  const TransferOptions& o = d->o;
  const char* label = KindLabel(d->kind);
  if (!OptionGiven(o, &TransferOptions::width) || !OptionGiven(o, &TransferOptions::height) ||
      !OptionGiven(o, &TransferOptions::format)) {
    return OutPrintf(CH_ERR, "ERROR: Width, height and format must be specified for %s file.\n",
                     label);
  }
  if (!o.burst) return OutPrintf(CH_ERR, "ERROR: Burst mode must be enabled for %s file.\n", label);
  if (d->area == TransferArea::kRegister && !d->registerBurst) {
    return OutPrintf(CH_ERR, "ERROR: A register picture needs a range of one unit and no delay.\n");
  }
  d->format = DataTypeFormat(o.format);
  uint64_t needed = GetFormatImageSize(d->format, o.width, o.height);
  if (GatheredBytes(*d) < needed) {
    return OutPrintf(CH_ERR,
                     "ERROR: The range holds %llXh bytes; a %ux%u %s picture needs %llXh.\n",
                     static_cast<unsigned long long>(GatheredBytes(*d)), o.width, o.height,
                     GetFormatName(d->format), static_cast<unsigned long long>(needed));
  }
  return true;
}

bool CheckDump(Dump* d) {
  const TransferOptions& o = d->o;
  if (IsPictureDump(*d)) {
    if (!CheckPicture(d)) return false;
  } else if (d->kind == FileKind::kNoExtension && !d->toNothing &&
             (OptionGiven(o, &TransferOptions::width) || OptionGiven(o, &TransferOptions::height) ||
              OptionGiven(o, &TransferOptions::format))) {
    return OutPrintf(CH_ERR, "ERROR: '%s' has no extension (.ppm or .png for a picture).\n",
                     d->name.c_str());
  }
  if (d->rectangle != OptionGiven(o, &TransferOptions::rectOffset)) {
    return OutPrintf(CH_ERR, "ERROR: Rectangle mode requires SW and SO to be specified.\n");
  }
  uint64_t bytes = uint64_t{d->count} * d->unit;
  switch (d->area) {
    case TransferArea::kMemory:
      if (d->rectangle && o.burst) {  // the rectangle engine moves 16-bit words from a word
        bytes = RectangleSpan(bytes, 2ull * o.rectWidth, 2ull * o.rectOffset);
        return CheckDisplayRange(d->start, bytes, std::max(d->unit, 2u));
      }
      return CheckDisplayRange(d->start, bytes, d->unit);
    case TransferArea::kRegister:
      if (d->unit > 1 && (d->start & 1)) {
        return OutPrintf(CH_ERR, "ERROR: Register index %04Xh isn't even.\n", d->start);
      }
      return true;
    case TransferArea::kSystem:
      return true;
  }
  return true;
}

bool PrintHeader(const Dump& d) {
  const TransferOptions& o = d.o;
  const char* name = d.name.c_str();
  unsigned long delay = o.delay, start = d.start, count = d.count, repeat = o.repeat;
  int bits = static_cast<int>(d.unit * 8);
  switch (d.area) {
    case TransferArea::kSystem:
      return OutPrintf(CH_OUT,
                       "System->%s  Delay=%luus Start=%05lXh Len=%05lXh Data=%d bits\nnTimes=%lu\n",
                       name, delay, start, count, bits, repeat);
    case TransferArea::kRegister:
      return OutPrintf(CH_OUT, "Register->%s  Start=%05lXh Len=%05lXh Data=%d bits\nnTimes=%lu\n",
                       name, start, count, bits, repeat);
    case TransferArea::kMemory:
      break;
  }
  if (!OutPrintf(CH_OUT,
                 "Memory->%s  Delay=%luus Start=%05lXh Len=%05lXh Data=%d bits\nnTimes=%lu\n", name,
                 delay, start, count, bits, repeat)) {
    return false;
  }
  if (d.rectangle) {
    return OutPrintf(CH_OUT, "Mode=RECT RectWidth=%lu RectOffset=%lu\n",
                     static_cast<unsigned long>(o.rectWidth),
                     static_cast<unsigned long>(o.rectOffset));
  }
  return OutPrintf(CH_OUT, "Mode=LINEAR\n");
}

void ReadMemoryBlock(const Dump& d, UnitBuffer* data) {
  uint32_t w = d.o.rectWidth, s = d.o.rectOffset;
  bool rect = d.rectangle;
  switch (d.unit) {
    case 1:
      rect ? qvBurstReadRectMemory8(d.start, data->bytes(), d.count, w, s)
           : qvBurstReadMemory8(d.start, data->bytes(), d.count);
      break;
    case 2:
      rect ? qvBurstReadRectMemory16(d.start, data->words(), d.count, w, s)
           : qvBurstReadMemory16(d.start, data->words(), d.count);
      break;
    default:
      rect ? qvBurstReadRectMemory32(d.start, data->longs(), d.count, w, s)
           : qvBurstReadMemory32(d.start, data->longs(), d.count);
      break;
  }
}

void ReadRegisterBurst(const Dump& d, UnitBuffer* data) {
  uint32_t n = d.o.repeat;
  if (d.unit == 1) qvBurstReadReg8(d.start, data->bytes(), n);
  if (d.unit == 2) qvBurstReadReg16(d.start, data->words(), n);
  if (d.unit == 4) qvBurstReadReg32(d.start, data->longs(), n);
}

// One unit of the range by the area's single access; false for host memory out of reach.
bool ReadOneUnit(const Dump& d, uint32_t address, uint32_t* value) {
  switch (d.area) {
    case TransferArea::kMemory:
      *value = qvReadMemoryByWidth(address, d.unit);
      return true;
    case TransferArea::kRegister:
      *value = qvReadRegByWidth(address, d.unit);
      return true;
    case TransferArea::kSystem:
      if (ReadOwnMemory(address, d.unit, value)) return true;
      return OutPrintf(CH_ERR, "ERROR: The program cannot access memory at address %08Xh.\n",
                       address);
  }
  return false;
}

// One repetition's data: a block read, or unit by unit with the delay after each.
bool Gather(const Dump& d, UnitBuffer* data) {
  if (d.area == TransferArea::kMemory && d.o.burst) {
    ReadMemoryBlock(d, data);
    return true;
  }
  for (uint32_t i = 0; i < d.count; i++) {
    uint32_t value = 0;
    if (!ReadOneUnit(d, d.start + i * d.unit, &value)) return false;
    StoreUnit(data->bytes() + uint64_t{i} * d.unit, d.unit, value);
    DelayMicroseconds(d.o.delay);
  }
  return true;
}

bool WriteFailed(const Dump& d) {
  return OutPrintf(CH_ERR, "ERROR: '%s' file write operation failed.\n", d.name.c_str());
}

bool RunDump(const Dump& d) {
  bool picture = IsPictureDump(d);
  OutputFile file;
  bool toFile = !picture && !d.toNothing;
  if (toFile && !file.Open(d.name, d.o.all != 0)) {
    return OutPrintf(CH_ERR, "ERROR: Could not open file '%s' for binary writing.\n",
                     d.name.c_str());
  }
  if (!PrintHeader(d)) return false;
  UnitBuffer data;
  uint64_t bytes = GatheredBytes(d);
  if (!data.Allocate(bytes)) return false;
  if (d.registerBurst) {
    ReadRegisterBurst(d, &data);
    if (toFile && !file.Write(data.bytes(), bytes)) return WriteFailed(d);
  } else {
    for (uint32_t r = 0; r < d.o.repeat; r++) {
      if (!Gather(d, &data)) return false;
      if (toFile && !file.Write(data.bytes(), bytes)) return WriteFailed(d);
      if (d.area == TransferArea::kMemory && d.o.burst) DelayMicroseconds(d.o.delay);
    }
  }
  if (picture) {
    return SavePicture(d.name.c_str(), data.bytes(), bytes, d.format, 2, d.o.width, d.o.height);
  }
  return !toFile || file.Commit() || WriteFailed(d);
}

bool CmdFileDump(int argc, ArgSlot* argv, Value*) {
  if (argv[1][0] == '?') {
    return ShowTransferHelp(argv[0], "Filename Area Start [End|Len] [Options..]", kDumpHelp);
  }
  if (argc < 5) return OutPrintf(CH_ERR, "ERROR: FDUMP requires a minimum of four arguments.\n");
  Dump d;
  return ParseDump(argc, argv, &d) && CheckDump(&d) && RunDump(d);
}

}  // namespace

const CommandRow kFileDumpRow = {ADVANCED, "fdump;fdump8;fdump16;fdump32", CmdFileDump, kNeedsCard,
                                 "FDUMP[8|16|32] file area s [e|len] [..]   - Write to file"};
