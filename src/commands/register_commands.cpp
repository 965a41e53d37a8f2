#include "commands/register_commands.h"

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "chipdef/chipdef.h"
#include "commands/data_list.h"
#include "console/output.h"
#include "hal/hal.h"
#include "lang/number.h"
#include "platform/console.h"

namespace {

struct RegisterSettings {
  uint32_t index = 0;
  uint32_t unit = 2;
  uint32_t cycles = 1;
};

// What the commands remember between runs. XF and XFB share theirs, as do XR and XRB.
struct RegisterCommandState {
  uint32_t defaultUnit = 2;
  RegisterSettings x, fill, reread, bar;
};
RegisterCommandState Registers;

// The substitutes of a cycle count of 0 in the burst commands.
constexpr uint32_t kBurstFillForever = 0xFFFFF;
constexpr uint32_t kBurstRereadForever = 0xFFFFFF;
constexpr uint32_t kBarWindowCount = 6;

bool InvalidArgument() {
  return OutPrintf(CH_ERR, "ERROR: Invalid/missing argument.\n");
}

bool NotEnoughArguments() {
  return OutPrintf(CH_ERR, "ERROR: Not enough arguments.\n");
}

uint32_t UnitMask(uint32_t unit) {
  return unit >= 4 ? 0xFFFFFFFFu : (1u << (8 * unit)) - 1;
}

// The unit of a command given an index: the default width unless the word names one.
bool UnitForIndex(const char* word, RegisterSettings& s, uint32_t* unit) {
  s.unit = Registers.defaultUnit;
  return UnitFromName(word, &s.unit, unit);
}

uint32_t ReadReg(uint32_t index, uint32_t unit) {
  return qvReadRegByWidth(index, unit);
}

void WriteReg(uint32_t index, uint32_t unit, uint32_t value) {
  qvWriteRegByWidth(index, unit, value);
}

// ESC typed while a loop without end runs stops it; so does the end of the input. Other keys
// are passed over.
bool EscapeTyped() {
  return ConsoleKeyPending() && ConsoleReadKey() == kKeyEsc;
}

// "[IX] > VALUE  bbbb-bbbb-...b DECt": a read line of X and BAR without its prefix.
std::string ReadLine(uint32_t index, uint32_t unit, uint32_t value) {
  char text[128];
  char bits[kNumStrSize];
  NumToStr(bits, value, 2, static_cast<int>(unit * 8));
  if (unit == 1) {
    std::snprintf(text, sizeof text, "[%02X] > %02X  %sb %3ut\n", index, value, bits, value);
    return text;
  }
  std::snprintf(text, sizeof text, "[%02X] > %0*X  ", index, static_cast<int>(unit * 2), value);
  std::string line = text;
  for (uint32_t g = 0; g < unit * 2; g++) {
    if (g > 0) line += '-';
    line.append(bits + 4 * g, 4);
  }
  std::snprintf(text, sizeof text, unit == 2 ? "b %3ut\n" : "b %ut\n", value);
  return line + text;
}

std::string WriteLine(uint32_t index, uint32_t unit, uint32_t value) {
  char text[64];
  std::snprintf(text, sizeof text, "[%02X] < %0*X\n", index, static_cast<int>(unit * 2), value);
  return text;
}

// ---- detailed help ----

void PrintSizeLines(const char* format, const char* word) {
  const int base = static_cast<int>(BaseNameLength(word));
  std::string name(word, static_cast<size_t>(base));
  for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  for (const char* bits : {"", "8", "16", "32"}) OutPrintf(CH_OUT, format, name.c_str(), bits);
}

// The syntax lines (one per size from the command word, or fixed ones), then the explanation.
bool ShowHelp(const char* word, const char* sizedSyntax, const char* fixedSyntax,
              const char* const* lines) {
  OutPrintf(CH_OUT, "\n");
  if (sizedSyntax != nullptr) PrintSizeLines(sizedSyntax, word);
  if (fixedSyntax != nullptr) OutPrintf(CH_OUT, "%s", fixedSyntax);
  for (; *lines != nullptr; lines++) OutPrintf(CH_OUT, *lines, Registers.defaultUnit * 8);
  return true;
}

const char* const kRegisterHelp[] = {
    " Reads a register, or writes Data to it.\n",
    " 8|16|32   - Register size in bits (default:%u-bit).\n",
    " Index     - Register index (hexadecimal); without it the last one is read again.\n",
    " Data      - Value to write, cut to the register size.\n",
    " XA lists every register by category, XB lists them all without categories.\n",
    nullptr};
const char* const kListHelp[] = {" Lists the value of every readable register (default:%u-bit).\n",
                                 " Data ports are left out: reading one moves the chip on.\n",
                                 " XA shows them by category, XB in one list.\n", nullptr};
const char* const kFillHelp[] = {
    " Writes the Data values to one register, in order, Cycles times.\n",
    " 8|16|32   - Register size in bits (default:%u-bit).\n",
    " Index     - Register index (hexadecimal).\n",
    " Cycles    - How often the Data sequence is written. To cycle forever, set Cycles to 0.\n",
    "             ESC stops it then.\n",
    " Data      - Values (hexadecimal or expressions) or quoted text.\n",
    nullptr};
const char* const kRereadHelp[] = {
    " Reads one register Cycles times and shows every value.\n",
    " 8|16|32   - Register size in bits (default:%u-bit).\n",
    " Index     - Register index (hexadecimal).\n",
    " Cycles    - How often to read; without it the last count is used.\n",
    "             To cycle forever, set Cycles to 0. ESC stops it then.\n",
    nullptr};
const char* const kBurstFillHelp[] = {
    " Writes the Data values to one register, Cycles times, in one burst transfer.\n",
    " 8|16|32   - Register size in bits (default:%u-bit).\n",
    " Index     - Register index (hexadecimal).\n",
    " Cycles    - How often the Data sequence is written; 0 means FFFFFh times.\n",
    " Data      - Values (hexadecimal or expressions) or quoted text.\n",
    nullptr};
const char* const kBurstRereadHelp[] = {
    " Reads one register Cycles times in one burst transfer and shows every value.\n",
    " 8|16|32   - Register size in bits (default:%u-bit).\n",
    " Index     - Register index (hexadecimal).\n",
    " Cycles    - How often to read; 0 means FFFFFFh times; without it the last count.\n", nullptr};
const char* const kBarHelp[] = {
    " Reads or writes through PCI base address register n of the card.\n",
    " 8|16|32   - Access size in bits (default:%u-bit).\n",
    " n         - Base address register, 0 to 5 (decimal).\n",
    " Index     - Offset in the window (hexadecimal); without it the last one is used.\n",
    " Data      - Value to write, cut to the access size.\n",
    nullptr};

bool WantsHelp(ArgSlot* argv) {
  return argv[1][0] == '?';
}

// ---- XA and XB ----

// One "INDEX=VALUE" entry per readable register but the data ports, eight to a line.
bool ListRegisters(bool byCategory) {
  ChipDef& m = ChipModel();
  const int indexDigits = static_cast<int>(m.GetIndexWidth());
  uint32_t count = 0;
  for (const CategoryRec& c : m.Categories()) {
    if (!c.KeyName || !m.IsForProduct(c.Product)) continue;
    if (byCategory) {
      if (!OutPrintf(CH_SET, "\n%s Registers\n", c.Name ? c.Name->c_str() : "")) return false;
      count = 0;
    }
    for (const RegisterRec& r : m.Registers()) {
      if (!r.Category || *r.Category != *c.KeyName) continue;
      // A data port would move on (its address or counter) when read: it is left out.
      if (r.WriteOnly || m.IsDataPort(r.Index) || !m.IsForProduct(r.Product)) continue;
      const char* separator = count == 0 ? "" : count % 8 == 0 ? "\n" : " ";
      const uint32_t value = m.ReadRegister(r.Index, false);
      if (!OutPrintf(CH_SET, "%s%0*X=%0*X", separator, indexDigits, r.Index,
                     static_cast<int>(r.BitWidth / 4), value)) {
        return false;
      }
      count++;
    }
    if (byCategory && !OutPrintf(CH_SET, "\n")) return false;
  }
  return byCategory || OutPrintf(CH_SET, "\n");
}

// ---- XF, XFB, XR, XRB ----
// Cycle counters are 64-bit, so that a count of FFFFFFFFh still ends.

// The index, unit and cycle count shared by the repeat commands; the count comes from
// argv[2] when there is one, else it is the remembered one.
bool ParseRepeat(int argc, ArgSlot* argv, RegisterSettings& s, uint32_t* index, uint32_t* unit,
                 uint32_t* cycles) {
  if (ArgToNum(argv[1], 16, index) != 0) {
    return OutPrintf(CH_ERR, "ERROR: '%s' isn't a valid register index.\n", argv[1]);
  }
  if (!UnitForIndex(argv[0], s, unit)) return false;
  *cycles = s.cycles;
  if (argc > 2 && ArgToNum(argv[2], 16, cycles) != 0) {
    return OutPrintf(CH_ERR, "ERROR: '%s' isn't a valid length.\n", argv[2]);
  }
  s.index = *index;
  s.cycles = *cycles;
  return true;
}

// What XF and XFB take: index, unit, cycles and at least one value.
struct FillArguments {
  uint32_t index = 0;
  uint32_t unit = 0;
  uint32_t cycles = 0;
  uint32_t values[kMaxDataValues];
  int count = 0;
};

bool ParseFill(int argc, ArgSlot* argv, FillArguments* f) {
  if (argc < 4) return NotEnoughArguments();
  return ParseRepeat(argc, argv, Registers.fill, &f->index, &f->unit, &f->cycles) &&
         ParseDataArguments(argc, argv, 3, f->values, &f->count);
}

bool CannotAllocate() {
  return OutPrintf(CH_ERR, "ERROR: cannot allocate enough CPU memory.\n");
}

// The controller has no 32-bit register bursts: such a command transfers nothing and fails.
bool No32BitBurst() {
  return OutPrintf(CH_ERR, "ERROR: 32-bit register bursts are not supported.\n");
}

// A burst buffer of count units; none when it is too large for one transfer or for memory.
std::unique_ptr<uint8_t[]> BurstBuffer(uint64_t count, uint32_t unit) {
  if (count == 0 || count > UINT32_MAX) return nullptr;
  return std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[count * unit]());
}

void PutUnit(uint8_t* buffer, uint64_t at, uint32_t unit, uint32_t value) {
  std::memcpy(buffer + at * unit, &value, unit);  // the host is little-endian, as the record
}

uint32_t GetUnit(const uint8_t* buffer, uint64_t at, uint32_t unit) {
  uint32_t value = 0;
  std::memcpy(&value, buffer + at * unit, unit);
  return value;
}

// Units of 1 or 2 bytes: 32-bit bursts are refused before any buffer is made.
void BurstWrite(uint32_t index, uint32_t unit, const uint8_t* buffer, uint32_t count) {
  if (unit == 1) return qvBurstWriteReg8(index, buffer, count);
  qvBurstWriteReg16(index, reinterpret_cast<const uint16_t*>(buffer), count);
}

void BurstRead(uint32_t index, uint32_t unit, uint8_t* buffer, uint32_t count) {
  if (unit == 1) return qvBurstReadReg8(index, buffer, count);
  qvBurstReadReg16(index, reinterpret_cast<uint16_t*>(buffer), count);
}

bool PrintCycleStart(uint64_t cycle, uint32_t index) {
  return OutPrintf(CH_SET, "\rCycle:%08X   REG[%04X] <", static_cast<uint32_t>(cycle), index);
}

bool PrintRereadLine(uint64_t cycle, uint32_t index, uint32_t value) {
  return OutPrintf(CH_SET, "\n%10u: REG[%04Xh]=%2Xh", static_cast<uint32_t>(cycle), index, value);
}

bool ShowsOutput() {
  return (EffectiveConsoleMask() & CH_OUT) != 0;
}

bool CmdRegister(int argc, ArgSlot* argv, Value* result) {
  const char form = argv[0][1];
  if (form == 'a' || form == 'b') {
    if (WantsHelp(argv)) return ShowHelp(argv[0], nullptr, " XA\n XB\n", kListHelp);
    if (argc > 1) return InvalidArgument();
    return ListRegisters(form == 'a');
  }
  if (WantsHelp(argv)) {
    return ShowHelp(argv[0], nullptr,
                    " X8  [Index [Data]]\n X16 [Index [Data]]\n X32 [Index [Data]]\n",
                    kRegisterHelp);
  }
  if (form != '\0' && form != '8' && form != '1' && form != '3') return InvalidArgument();
  uint32_t index = Registers.x.index, unit = Registers.x.unit;
  if (argc >= 2) {
    if (ArgToNum(argv[1], 16, &index) != 0) return InvalidArgument();
    Registers.x.unit = Registers.defaultUnit;
  }
  if (!UnitFromName(argv[0], &Registers.x.unit, &unit)) return false;
  std::string line;
  if (argc >= 3) {
    uint32_t value = 0;
    if (ArgToNum(argv[2], 16, &value) != 0) return InvalidArgument();
    value &= UnitMask(unit);
    WriteReg(index, unit, value);
    line = WriteLine(index, unit, value);
  } else {
    const uint32_t value = ReadReg(index, unit);
    result->SetNumber(value);
    line = ReadLine(index, unit, value);
  }
  if (!OutPrintf(CH_SET, "%s", line.c_str())) return false;
  Registers.x.index = index;
  return true;
}

bool CmdRegisterFill(int argc, ArgSlot* argv, Value*) {
  if (WantsHelp(argv)) {
    return ShowHelp(argv[0], " %s%-2s Index Cycles Data1 [Data2 Data3 Data4 ...]\n", nullptr,
                    kFillHelp);
  }
  FillArguments f;
  if (!ParseFill(argc, argv, &f)) return false;
  OutPrintf(CH_SET, "\n");
  for (uint64_t cycle = 1; f.cycles == 0 || cycle <= f.cycles; cycle++) {
    PrintCycleStart(cycle, f.index);
    for (int k = 0; k < f.count; k++) {
      const uint32_t value = f.values[k] & UnitMask(f.unit);
      WriteReg(f.index, f.unit, value);
      OutPrintf(CH_SET, " %0*X", static_cast<int>(f.unit * 2), value);
    }
    if (f.cycles == 0 && EscapeTyped()) break;
  }
  return OutPrintf(CH_SET, "\n");
}

bool CmdRegisterBurstFill(int argc, ArgSlot* argv, Value*) {
  if (WantsHelp(argv)) {
    return ShowHelp(argv[0], " %s%-2s Index Cycles Data1 [Data2 Data3 Data4 ...]\n", nullptr,
                    kBurstFillHelp);
  }
  FillArguments f;
  if (!ParseFill(argc, argv, &f)) return false;
  if (f.unit == 4) return No32BitBurst();
  if (f.cycles == 0) f.cycles = Registers.fill.cycles = kBurstFillForever;
  const uint64_t units = uint64_t{f.cycles} * static_cast<uint64_t>(f.count);
  std::unique_ptr<uint8_t[]> buffer = BurstBuffer(units, f.unit);
  if (!buffer) return CannotAllocate();
  OutPrintf(CH_SET, "\n");
  uint64_t at = 0;
  for (uint64_t cycle = 1; cycle <= f.cycles; cycle++) {
    PrintCycleStart(cycle, f.index);
    for (int k = 0; k < f.count; k++) {
      const uint32_t value = f.values[k] & UnitMask(f.unit);
      PutUnit(buffer.get(), at++, f.unit, value);
      OutPrintf(CH_SET, " %04X", value);
    }
    OutPrintf(CH_SET, "\n");
  }
  BurstWrite(f.index, f.unit, buffer.get(), static_cast<uint32_t>(units));
  return OutPrintf(CH_SET, "\n");
}

bool CmdRegisterReread(int argc, ArgSlot* argv, Value*) {
  if (WantsHelp(argv)) return ShowHelp(argv[0], " %s%-2s Index [Cycles]\n", nullptr, kRereadHelp);
  if (argc < 2) return NotEnoughArguments();
  uint32_t index = 0, unit = 0, cycles = 0;
  if (!ParseRepeat(argc, argv, Registers.reread, &index, &unit, &cycles)) return false;
  if (ShowsOutput()) {
    for (uint64_t cycle = 1; cycles == 0 || cycle <= cycles; cycle++) {
      if (!PrintRereadLine(cycle, index, ReadReg(index, unit))) return false;
      if (cycles == 0 && EscapeTyped()) break;
    }
  } else {
    for (uint64_t cycle = 0; cycle < (cycles == 0 ? 1 : cycles); cycle++) ReadReg(index, unit);
  }
  return OutPrintf(CH_SET, "\n");
}

bool CmdRegisterBurstReread(int argc, ArgSlot* argv, Value*) {
  if (WantsHelp(argv))
    return ShowHelp(argv[0], " %s%-2s Index [Cycles]\n", nullptr, kBurstRereadHelp);
  if (argc < 2) return NotEnoughArguments();
  uint32_t index = 0, unit = 0, cycles = 0;
  if (!ParseRepeat(argc, argv, Registers.reread, &index, &unit, &cycles)) return false;
  if (unit == 4) return No32BitBurst();
  if (cycles == 0) cycles = Registers.reread.cycles = kBurstRereadForever;
  std::unique_ptr<uint8_t[]> buffer = BurstBuffer(cycles, unit);
  if (!buffer) return CannotAllocate();
  BurstRead(index, unit, buffer.get(), cycles);
  if (ShowsOutput()) {
    for (uint64_t cycle = 1; cycle <= cycles; cycle++) {
      if (!PrintRereadLine(cycle, index, GetUnit(buffer.get(), cycle - 1, unit))) return false;
    }
  }
  return OutPrintf(CH_SET, "\n");
}

bool CmdBar(int argc, ArgSlot* argv, Value* result) {
  if (WantsHelp(argv)) {
    return ShowHelp(argv[0], nullptr,
                    " BAR8  n [Index [Data]]\n BAR16 n [Index [Data]]\n BAR32 n [Index [Data]]\n",
                    kBarHelp);
  }
  uint32_t window = 0;
  if (argc < 2 || ArgToNum(argv[1], 10, &window) != 0 || window >= kBarWindowCount) {
    return InvalidArgument();
  }
  uint32_t index = Registers.bar.index, unit = Registers.bar.unit;
  if (argc >= 3) {
    if (ArgToNum(argv[2], 16, &index) != 0) return InvalidArgument();
    Registers.bar.unit = Registers.defaultUnit;
  }
  if (!UnitFromName(argv[0], &Registers.bar.unit, &unit)) return false;
  // Only a real mapping may be touched: a bridge board has a marker, or nothing, there.
  if (!qvBarIsMapped(window)) {
    return OutPrintf(CH_ERR, "ERROR: BAR%u is not mapped on this board.\n", window);
  }
  if (!qvBarInWindow(window, index, unit)) {
    return OutPrintf(CH_ERR, "ERROR: Index %Xh is outside the window of BAR%u.\n", index, window);
  }
  std::string line;
  if (argc >= 4) {
    uint32_t value = 0;
    if (ArgToNum(argv[3], 16, &value) != 0) return InvalidArgument();
    value &= UnitMask(unit);
    if (unit == 1) qvWriteBar8(window, index, value);
    if (unit == 2) qvWriteBar16(window, index, value);
    if (unit == 4) qvWriteBar32(window, index, value);
    line = WriteLine(index, unit, value);
  } else {
    const uint32_t value = unit == 1   ? qvReadBar8(window, index)
                           : unit == 2 ? qvReadBar16(window, index)
                                       : qvReadBar32(window, index);
    result->SetNumber(value);
    line = ReadLine(index, unit, value);
  }
  if (!OutPrintf(CH_SET, "BAR%u %s", window, line.c_str())) return false;
  Registers.bar.index = index;
  return true;
}

}  // namespace

void InitRegisterCommands() {
  const uint32_t digits = ChipModel().GetRegWidthDigits(0);
  Registers = RegisterCommandState{};
  Registers.defaultUnit = digits >= 2 ? digits / 2 : 1;
  for (RegisterSettings* s : {&Registers.x, &Registers.fill, &Registers.reread, &Registers.bar}) {
    s->unit = Registers.defaultUnit;
  }
}

const CommandRow kRegisterRow = {BASIC, "x;x8;x16;x32;xa;xb", CmdRegister, kNeedsCard,
                                 "X[A|B][8|16|32] [index [data]]            - Register Get/Set"};
const CommandRow kRegisterFillRow = {BASIC, "xf;xf8;xf16;xf32", CmdRegisterFill, kNeedsCard,
                                     "XF[8|16|32] index cycle data1 [data2 ..]  - Register Fill"};
const CommandRow kRegisterRereadRow = {
    BASIC, "xr;xr8;xr16;xr32", CmdRegisterReread, kNeedsCard,
    "XR[8|16|32] index [cycle]                 - Register Re-Read"};
const CommandRow kRegisterBurstFillRow = {
    BASIC, "xfb;xfb8;xfb16;xfb32", CmdRegisterBurstFill, kNeedsCard,
    "XFB[8|16|32] index cycle data1 [data2 ..] - Register Fill in burst"};
const CommandRow kRegisterBurstRereadRow = {
    BASIC, "xrb;xrb8;xrb16;xrb32", CmdRegisterBurstReread, kNeedsCard,
    "XRB[8|16|32] index [cycle]                - Register Re-Read in burst"};
const CommandRow kBarRow = {
    BASIC, "bar;bar8;bar16;bar32", CmdBar, kNeedsCard,
    "BAR[8|16|32] n [index [data]]             - Register Get/Set using PCI BAR"};
