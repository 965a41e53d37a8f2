#include "commands/memory_commands.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include <string>

#include "chipdef/display_memory.h"
#include "commands/data_list.h"
#include "console/output.h"
#include "hal/hal.h"
#include "interp/runner.h"
#include "lang/number.h"
#include "platform/console.h"

namespace {

// What each command remembers between runs: its unit in bytes, the address it continues from
// and the length it covered last.
struct MemorySettings {
  uint32_t unit;
  uint32_t address;
  uint32_t length;
};

struct MemoryCommandState {
  MemorySettings read{2, 0, 0};
  MemorySettings write{2, 0, 0};
  MemorySettings fill{2, 0, 0};
  MemorySettings dump{1, 0, 256};
  MemorySettings search{1, 0, 0};
};
MemoryCommandState Memory;

uint32_t ReadUnit(uint32_t address, uint32_t unit) {
  return qvReadMemoryByWidth(address, unit);
}

void WriteUnit(uint32_t address, uint32_t unit, uint32_t value) {
  qvWriteMemoryByWidth(address, unit, value);
}

uint32_t UnitMask(uint32_t unit) {
  return unit >= 4 ? 0xFFFFFFFFu : (1u << (8 * unit)) - 1;
}

char Printable(uint32_t byte) {
  return byte >= 32 && byte <= 126 ? static_cast<char>(byte) : '.';
}

// "ADDRESS:  VALUE  'chars" of a one-location line, without its ending.
void PrintLocationStart(uint32_t address, uint32_t unit, uint32_t value) {
  char chars[5] = {};
  for (uint32_t i = 0; i < unit && i < 4; i++) chars[i] = Printable(value >> (8 * i) & 0xFF);
  OutPrintf(CH_OUT, "%08lX:  %0*lX  '%s", static_cast<unsigned long>(address),
            static_cast<int>(unit * 2), static_cast<unsigned long>(value), chars);
}

bool PrintLocation(uint32_t address, uint32_t unit, uint32_t value) {
  PrintLocationStart(address, unit, value);
  return OutPrintf(CH_OUT, "'\n");
}

// ---- detailed help ----

struct CommandHelp {
  const char* syntax;
  const char* purpose;
  const char* const* terms;
};

const char* const kReadTerms[] = {
    " 8|16|32   - Unit size in bits; without it the last one is used (R starts with 16).\n",
    " Addr      - Address to read (hexadecimal, or an expression). Without an address, or\n",
    "             with \".\", the first address of the last R is read again.\n", nullptr};
const char* const kWriteTerms[] = {
    " 8|16|32   - Unit size in bits; without it the last one is used (W starts with 16).\n",
    " StartAddr - First address to write; \".\" and \"..\" step back one or two lengths.\n",
    " Data      - Values (hexadecimal or expressions) or quoted text, one unit each.\n",
    " Without Data, W enters MODIFY mode:\n",
    "--Hex digits        - new value\n",
    "--ENTER,SPACE       - move to next memory location (if no Data\n",
    "value is given, no change is made)\n",
    "--MINUS             - move to previous memory location\n",
    "--Q,PERIOD,anything - leaves MODIFY mode.\n",
    nullptr};
const char* const kFillTerms[] = {
    " 8|16|32   - Unit size in bits; without it the last one is used (F starts with 16).\n",
    " StartAddr - First address to fill.\n",
    " EndAddr   - Last address to fill (included), or Len as L followed by a unit count.\n",
    " Data      - Values or quoted text, repeated over the range.\n", nullptr};
const char* const kDumpTerms[] = {
    " 8|16|32   - Unit size in bits; without it the last one is used (D starts with 8).\n",
    " StartAddr - First address to show; without it D goes on where it ended.\n",
    " EndAddr   - Last address to show (included), or Len as L followed by a unit count.\n",
    nullptr};
const char* const kSearchTerms[] = {
    " 8|16|32   - Unit size in bits; without it the last one is used (S starts with 8).\n",
    " StartAddr - First address to search from.\n",
    " EndAddr   - Last start address of a match, or Len as L followed by a unit count.\n",
    " Data      - The sequence of values or quoted text to find.\n", nullptr};

const CommandHelp kReadHelp = {"[Addr1 Addr2 Addr3 ...]",
                               " Reads memory at the Addr locations given.\n", kReadTerms};
const CommandHelp kWriteHelp = {
    "[StartAddr [Data1 Data2 Data3 Data4 ...]]",
    " Writes the given Data sequence to memory starting at StartAddr location.\n", kWriteTerms};
const CommandHelp kFillHelp = {"StartAddr EndAddr|Len Data1 [Data2 Data3 Data4 ...]",
                               " Fills memory with the given data.\n", kFillTerms};
const CommandHelp kDumpHelp = {"[StartAddr [EndAddr|Len]]",
                               " Shows a memory dump starting at StartAddr.\n", kDumpTerms};
const CommandHelp kSearchHelp = {"StartAddr EndAddr|Len Data1 [Data2 Data3 Data4 ...]",
                                 " Search memory for the given data.\n", kSearchTerms};

bool ShowHelp(const char* word, const CommandHelp& help) {
  int base = static_cast<int>(BaseNameLength(word));
  OutPrintf(CH_OUT, "\n");
  for (const char* bits : {"", "8", "16", "32"}) {
    OutPrintf(CH_OUT, " %*.*s%s %s\n", base, base, word, bits, help.syntax);
  }
  OutPrintf(CH_OUT, "%s", help.purpose);
  for (const char* const* line = help.terms; *line != nullptr; line++) {
    OutPrintf(CH_OUT, "%s", *line);
  }
  return true;
}

bool WantsHelp(ArgSlot* argv) {
  return argv[1][0] == '?';
}

// An argument as a message names it: as typed, or the number it stood for when it was left out.
std::string Named(const char* typed, uint32_t number) {
  if (typed[0] != '\0') return typed;
  char text[16];
  std::snprintf(text, sizeof text, "%Xh", number);
  return text;
}

bool BadAddress(const char* typed, uint32_t address) {
  return OutPrintf(CH_ERR, "ERROR: '%s' isn't a valid address.\n", Named(typed, address).c_str());
}

bool BadStart(const char* typed, uint32_t start) {
  return OutPrintf(CH_ERR, "ERROR: '%s' isn't a valid start address.\n",
                   Named(typed, start).c_str());
}

bool BadEnd(const char* typed, uint32_t length) {
  return OutPrintf(CH_ERR, "ERROR: '%s' isn't a valid end address or length.\n",
                   Named(typed, length).c_str());
}

// The bytes that units of unit bytes covering length bytes reach.
uint64_t Covered(uint32_t length, uint32_t unit) {
  return (uint64_t{length} + unit - 1) / unit * unit;
}

// A long fill, search or unpaged dump stops when ESC is typed, so that a mistyped range never
// has to be waited out.
bool StoppedWithEsc(const char* what) {
  if (!EscapePressed()) return false;
  OutPrintf(CH_ERR, "ERROR: %s stopped with ESC.\n", what);
  return true;
}

// ---- MODIFY mode ----

enum class ModifyStep { kNext, kPrevious, kLeave };

// Reads keys for one location: hexadecimal digits into digits, until a key that moves on.
ModifyStep ReadModifyKeys(char* digits, size_t capacity) {
  size_t n = 0;
  digits[0] = '\0';
  for (;;) {
    ConsoleFlush();
    int key = ConsoleReadKey();
    if (ConsoleAtEnd()) return ModifyStep::kLeave;  // the end of piped input leaves the mode
    if (key == kKeyExtended) {
      ConsoleReadKey();  // an arrow or other extended key means nothing here
      ConsoleWrite("\a");
      continue;
    }
    char c = static_cast<char>(key);
    if (std::strchr("0123456789ABCDEFabcdef", c) != nullptr && n + 1 < capacity) {
      digits[n++] = c;
      digits[n] = '\0';
      ConsoleWrite(std::string_view(&c, 1));
    } else if (key == kKeyBackspace && n > 0) {
      digits[--n] = '\0';
      ConsoleWrite("\b \b");
    } else if (c == '\t' || c == '\n' || c == '\r' || c == ' ') {
      return ModifyStep::kNext;
    } else if (c == '-') {
      ConsoleWrite("-");
      return ModifyStep::kPrevious;
    } else if (c == '.' || c == 'Q' || c == 'q') {
      ConsoleWrite(std::string_view(&c, 1));
      return ModifyStep::kLeave;
    } else {
      ConsoleWrite("\a");
    }
  }
}

// A step that would leave display memory rings the bell and stays at the location.
bool ModifyMode(uint32_t start, uint32_t unit) {
  int64_t k = 0;
  for (;;) {
    uint32_t address = start + static_cast<uint32_t>(k * unit);
    PrintLocationStart(address, unit, ReadUnit(address, unit));
    OutPrintf(CH_OUT, "'>");
    char digits[9];  // a 32-bit value needs 8 digits
    ModifyStep step = ReadModifyKeys(digits, unit * 2 + 1);
    if (!OutPrintf(CH_OUT, "\n")) return false;
    if (step == ModifyStep::kLeave) break;
    if (digits[0] != '\0') WriteUnit(address, unit, StrToNum(digits, 16));
    int64_t next = k + (step == ModifyStep::kNext ? 1 : -1);
    int64_t nextAddress = int64_t{start} + next * unit;
    if (nextAddress >= 0 && DisplayRangeValid(static_cast<uint32_t>(nextAddress), unit, unit)) {
      k = next;
    } else {
      ConsoleWrite("\a");
    }
  }
  Memory.write.length = static_cast<uint32_t>(k * unit);
  Memory.write.address = start + Memory.write.length;
  return true;
}

// ---- dump ----

void FormatUnit(char* out, size_t size, uint32_t unit, bool present, uint32_t value) {
  static const char* const kAbsent[] = {"-- ", "---- ", "", "-------- "};
  if (!present) {
    std::snprintf(out, size, "%s", kAbsent[unit - 1]);
  } else {
    std::snprintf(out, size, "%0*lX ", static_cast<int>(unit * 2),
                  static_cast<unsigned long>(value));
  }
}

// One line of 16 bytes; o is the line's first byte relative to start (negative on the first
// line when start is not a multiple of 16).
bool DumpLine(uint32_t start, int64_t o, uint32_t length, uint32_t unit) {
  auto inRange = [&](int64_t at) { return at > -static_cast<int64_t>(unit) && at < length; };
  uint8_t bytes[16] = {};
  OutPrintf(CH_OUT, "%08lX:  ", static_cast<unsigned long>(start + o));
  for (uint32_t c = 0; c < 16; c += unit) {
    if (c == 8) OutPrintf(CH_OUT, " ");
    bool present = inRange(o + c);
    uint32_t value = present ? ReadUnit(static_cast<uint32_t>(start + o + c), unit) : 0;
    for (uint32_t b = 0; b < unit; b++) bytes[c + b] = static_cast<uint8_t>(value >> (8 * b));
    char text[16];
    FormatUnit(text, sizeof text, unit, present, value);
    OutPrintf(CH_OUT, "%s", text);
  }
  char chars[17] = {};
  for (int b = 0; b < 16; b++) chars[b] = inRange(o + b) ? Printable(bytes[b]) : '-';
  OutPrintf(CH_OUT, " '%s", chars);
  return OutPrintf(CH_OUT, "'\n");
}

// Parses the unit, start and length of F, D and S against their settings; the unit and start
// are remembered as soon as they are known. A range that leaves display memory is refused
// before anything is transferred.
bool ParseRange(ArgSlot* argv, MemorySettings& s, uint32_t* unit, uint32_t* start,
                uint32_t* length) {
  if (!UnitFromName(argv[0], &s.unit, unit)) return false;
  if (!ParseStart(argv[1], s.address, s.length, start)) return false;
  if (!DisplayRangeValid(*start, 0, *unit)) return BadStart(argv[1], *start);
  s.address = *start;
  if (!ParseEndOrLen(argv[2], *start, *unit, s.length, length)) return false;
  return DisplayRangeValid(*start, Covered(*length, *unit), *unit) || BadEnd(argv[2], *length);
}

// What F and S take: a range and at least one value (an empty quoted text gives none, which
// would fill nothing and match everywhere).
struct RangeAndData {
  uint32_t unit = 0;
  uint32_t start = 0;
  uint32_t length = 0;
  uint32_t values[kMaxDataValues];
  int count = 0;
};

bool ParseRangeAndData(int argc, ArgSlot* argv, MemorySettings& s, RangeAndData* r) {
  if (argc < 4) return OutPrintf(CH_ERR, "ERROR: Not enough parameters.\n");
  if (!ParseRange(argv, s, &r->unit, &r->start, &r->length)) return false;
  return ParseDataArguments(argc, argv, 3, r->values, &r->count);
}

bool CmdRead(int argc, ArgSlot* argv, Value* result) {
  if (WantsHelp(argv)) return ShowHelp(argv[0], kReadHelp);
  uint32_t unit = 0;
  if (!UnitFromName(argv[0], &Memory.read.unit, &unit)) return false;
  if (argc < 2 || argv[1][0] == '.') {
    if (!DisplayRangeValid(Memory.read.address, unit, unit)) {
      return BadAddress(argv[1], Memory.read.address);
    }
    uint32_t value = ReadUnit(Memory.read.address, unit);
    result->SetNumber(value);
    return PrintLocation(Memory.read.address, unit, value);
  }
  for (int i = 1; i < argc; i++) {
    uint32_t address = 0;
    if (ArgToNum(argv[i], 16, &address) != 0 || !DisplayRangeValid(address, unit, unit)) {
      return BadAddress(argv[i], address);
    }
    if (i == 1) Memory.read.address = address;
    uint32_t value = ReadUnit(address, unit);
    result->SetNumber(value);
    if (!PrintLocation(address, unit, value)) return false;
  }
  return true;
}

bool CmdWrite(int argc, ArgSlot* argv, Value*) {
  if (WantsHelp(argv)) return ShowHelp(argv[0], kWriteHelp);
  uint32_t unit = 0, start = 0;
  if (!UnitFromName(argv[0], &Memory.write.unit, &unit)) return false;
  if (!ParseStart(argv[1], Memory.write.address, Memory.write.length, &start)) return false;
  if (!DisplayRangeValid(start, unit, unit)) return BadStart(argv[1], start);
  Memory.write.address = start;
  uint32_t values[kMaxDataValues];
  int count = 0;
  if (int bad = ParseDataList(argc, argv, 2, values, &count); bad != 0) {
    return ReportDataList(argv, bad);
  }
  if (count == 0) return ModifyMode(start, unit);
  if (!DisplayRangeValid(start, uint64_t{static_cast<uint32_t>(count)} * unit, unit)) {
    return BadStart(argv[1], start);
  }
  for (int k = 0; k < count; k++) {
    uint32_t address = start + static_cast<uint32_t>(k) * unit;
    uint32_t value = values[k] & UnitMask(unit);
    WriteUnit(address, unit, value);
    if (!PrintLocation(address, unit, value)) return false;
  }
  Memory.write.length = static_cast<uint32_t>(count) * unit;
  Memory.write.address = start + Memory.write.length;
  return true;
}

bool CmdFill(int argc, ArgSlot* argv, Value*) {
  if (WantsHelp(argv)) return ShowHelp(argv[0], kFillHelp);
  RangeAndData r;
  if (!ParseRangeAndData(argc, argv, Memory.fill, &r)) return false;
  for (uint32_t i = 0; i < r.length / r.unit; i++) {
    if (StoppedWithEsc("Fill")) return false;
    WriteUnit(r.start + i * r.unit, r.unit, r.values[i % static_cast<uint32_t>(r.count)]);
  }
  Memory.fill.length = r.length;
  Memory.fill.address = r.start + r.length;
  return true;
}

bool CmdDump(int, ArgSlot* argv, Value*) {
  if (WantsHelp(argv)) return ShowHelp(argv[0], kDumpHelp);
  uint32_t unit = 0, start = 0, length = 0;
  if (!ParseRange(argv, Memory.dump, &unit, &start, &length)) return false;
  Memory.dump.length = length;
  int64_t first = static_cast<int64_t>(start & ~0xFu) - start;
  for (int64_t o = first; o < length; o += 16) {
    if (!DumpLine(start, o, length, unit)) return false;
    if (Output.HaltLines == 0 && StoppedWithEsc("Dump")) return false;
  }
  Memory.dump.address = start + length;
  return true;
}

bool CmdSearch(int argc, ArgSlot* argv, Value*) {
  if (WantsHelp(argv)) return ShowHelp(argv[0], kSearchHelp);
  RangeAndData r;
  if (!ParseRangeAndData(argc, argv, Memory.search, &r)) return false;
  Memory.search.length = r.length;
  unsigned long matches = 0;
  // A match may run past the range, but never past the end of display memory.
  const uint32_t unitsLeft = (DisplayMemorySize() - r.start) / r.unit;
  for (uint32_t i = 0; i < r.length / r.unit; i++) {
    if (StoppedWithEsc("Search")) return false;
    uint32_t j = 0;
    const uint32_t count = static_cast<uint32_t>(r.count);
    while (j < count && i + j < unitsLeft &&
           ReadUnit(r.start + (i + j) * r.unit, r.unit) == r.values[j]) {
      j++;
    }
    if (j < count) continue;
    matches++;
    if (!OutPrintf(CH_OUT, "Found: %08lX\n", static_cast<unsigned long>(r.start + i * r.unit))) {
      return false;
    }
  }
  if (!OutPrintf(CH_OUT, "%lu match%s found.\n", matches, matches == 1 ? "" : "es")) return false;
  Memory.search.address = r.start + r.length;
  return true;
}

}  // namespace

void ResetMemoryCommands() {
  Memory = MemoryCommandState{};
}

const CommandRow kReadRow = {BASIC, "r;r8;r16;r32", CmdRead, kNeedsCard,
                             "R[8|16|32] [addr1 addr2 ..]               - Reads from memory"};
const CommandRow kWriteRow = {BASIC, "w;w8;w16;w32", CmdWrite, kNeedsCard,
                              "W[8|16|32] [addr [data1 data2 ..]         - Writes to memory"};
const CommandRow kFillRow = {BASIC, "f;f8;f16;f32", CmdFill, kNeedsCard,
                             "F[8|16|32] start end|len data1 [data2 ..] - Fills memory"};
const CommandRow kDumpRow = {BASIC, "d;d8;d16;d32", CmdDump, kNeedsCard,
                             "D[8|16|32] [start [end|len]]              - Dumps memory to screen"};
const CommandRow kSearchRow = {
    BASIC, "s;s8;s16;s32", CmdSearch, kNeedsCard,
    "S[8|16|32] start end|len data1 [data2 ..] - Searches memory for a match"};
