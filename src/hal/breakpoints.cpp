// Register breakpoints: the /break: list, the hook that the public register operations call, and
// the prompt of a stop. Entries of single registers are kept in the lanes of their aligned
// 32-bit word, so accesses of any width meet them in the same terms.
#include "hal/breakpoints.h"

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <string_view>

#include "base/helper.h"
#include "hal/access_hooks.h"
#include "hal/hal.h"
#include "hal/hal_state.h"
#include "platform/console.h"

namespace {

struct Breakpoint {
  bool used = false;
  uint32_t index = 0;  // the aligned word of a single register, the start of a range
  AccessKind access = kAccessRead;
  HookTiming timing = kHookBefore;
  uint32_t rangeEnd = 0;  // the last byte of a range
  bool isRange = false;
  uint32_t mask = 0;      // lanes (or bits) of the aligned word
  uint32_t bitShift = 0;  // where the match value sits in the word
  bool hasMatch = false;
  uint32_t match = 0;
};

struct BreakpointState {
  Breakpoint table[kMaxBreakpoints];
  bool stepMode = false;
  BreakKeyReader readKey = nullptr;
};
BreakpointState Breaks;

// ---- the /break: list ----

// What stands between the brackets: an index, an index with bits high down to low, or a range.
struct RegisterSpec {
  uint32_t index = 0;
  uint32_t end = 0;
  bool isRange = false;
  bool hasBits = false;
  uint32_t high = 0;
  uint32_t low = 0;
};

// A hexadecimal number of at most 8 digits, with an optional h suffix.
bool ParseHex(std::string_view text, uint32_t* value) {
  if (!text.empty() && (text.back() == 'h' || text.back() == 'H')) text.remove_suffix(1);
  if (text.empty() || text.size() > 8) return false;
  *value = 0;
  for (char c : text) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : (c | 0x20) - 'a' + 10;
    *value = *value << 4 | static_cast<uint32_t>(digit);
  }
  return true;
}

// A bit number: decimal, 0 to 31 (a higher one lies outside every register).
HalError ParseBit(std::string_view text, uint32_t* bit) {
  if (text.empty()) return kHalBreakFormat;
  for (char c : text) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return kHalBreakFormat;
  }
  if (text.size() > 2) return kHalBreakMask;
  *bit = 0;
  for (char c : text) *bit = *bit * 10 + static_cast<uint32_t>(c - '0');
  return *bit > 31 ? kHalBreakMask : kHalOk;
}

// "b" and a bit number, or two of them "N:M" with N >= M.
HalError ParseBits(std::string_view text, RegisterSpec* spec) {
  if (text.empty() || (text[0] != 'b' && text[0] != 'B')) return kHalBreakFormat;
  text.remove_prefix(1);
  size_t colon = text.find(':');
  HalError error = ParseBit(text.substr(0, colon), &spec->high);
  if (error == kHalOk && colon != std::string_view::npos) {
    error = ParseBit(text.substr(colon + 1), &spec->low);
  } else {
    spec->low = spec->high;
  }
  if (error == kHalOk && spec->high < spec->low) error = kHalBreakFormat;
  spec->hasBits = true;
  return error;
}

HalError ParseSpec(std::string_view text, RegisterSpec* spec) {
  size_t dash = text.find('-');
  if (!ParseHex(text.substr(0, dash), &spec->index)) return kHalBreakFormat;
  if (dash == std::string_view::npos) return kHalOk;
  std::string_view rest = text.substr(dash + 1);
  if (rest.empty() || rest[0] != '-') return ParseBits(rest, spec);
  spec->isRange = true;
  if (!ParseHex(rest.substr(1), &spec->end) || spec->end < spec->index) return kHalBreakFormat;
  return kHalOk;
}

struct RegisterFormat {
  const char* prefix;
  uint32_t width;
};
const RegisterFormat kFormats[] = {{"reg16[", 2}, {"reg32[", 4}, {"reg8[", 1}, {"reg[", 2}};

uint32_t WidthMask(uint32_t width) {
  return width == 4 ? 0xFFFFFFFF : (1u << (8 * width)) - 1;
}

// Alignment and bounds of a register of width bytes.
HalError CheckSpec(const RegisterSpec& spec, uint32_t width, uint32_t fieldMask) {
  uint32_t align = width == 1 ? 0 : width - 1;
  if ((spec.index & align) != 0 || (spec.isRange && (spec.end & align) != 0)) {
    return kHalBreakAlign;
  }
  if ((fieldMask & ~WidthMask(width)) != 0) return kHalBreakMask;
  return kHalOk;
}

// The entry of a checked spec: a range covers whole registers; a single register becomes its
// lane (or bits) of the aligned 32-bit word.
Breakpoint EntryOf(const RegisterSpec& spec, uint32_t width, uint32_t fieldMask) {
  Breakpoint bp;
  if (spec.isRange) {
    bp.index = spec.index;
    bp.isRange = true;
    bp.rangeEnd = spec.end + (width == 1 ? 0 : width - 1);
    return bp;
  }
  uint32_t laneShift = width == 4 ? 0 : (spec.index & (width == 2 ? 2 : 3)) * 8;
  bp.index = spec.index & ~3u;
  bp.mask = fieldMask << laneShift;
  bp.bitShift = spec.low + laneShift;
  return bp;
}

// One breakpoint: timing, access, separator, register format, spec, optional "==" value.
HalError ParseBreakpoint(std::string_view item, Breakpoint* bp) {
  char timing = static_cast<char>(item[0] | 0x20);
  if (timing != 'b' && timing != 'a') return kHalBreakTiming;
  char access = item.size() > 1 ? static_cast<char>(item[1] | 0x20) : '\0';
  if (access != 'r' && access != 'w') return kHalBreakAccess;
  std::string_view rest = item.substr(item.size() > 2 ? 3 : 2);  // the separator is skipped
  const RegisterFormat* format = nullptr;
  for (const RegisterFormat& f : kFormats) {
    if (format == nullptr && StartsWithNoCase(rest, f.prefix)) format = &f;
  }
  if (format == nullptr) return kHalBreakFormat;
  rest.remove_prefix(std::string_view(format->prefix).size());
  size_t close = rest.find(']');
  if (close == std::string_view::npos) return kHalBreakBrace;
  RegisterSpec spec;
  HalError error = ParseSpec(rest.substr(0, close), &spec);
  if (error != kHalOk) return error;
  uint32_t fieldMask = spec.hasBits ? static_cast<uint32_t>(((uint64_t{2} << spec.high) - 1) &
                                                            ~((uint64_t{1} << spec.low) - 1))
                                    : WidthMask(format->width);
  error = CheckSpec(spec, format->width, fieldMask);
  if (error != kHalOk) return error;
  *bp = EntryOf(spec, format->width, fieldMask);
  bp->used = true;
  bp->timing = timing == 'a' ? kHookAfter : kHookBefore;
  bp->access = access == 'w' ? kAccessWrite : kAccessRead;
  std::string_view tail = rest.substr(close + 1);
  if (tail.empty()) return kHalOk;
  if (tail.substr(0, 2) != "==" || !ParseHex(tail.substr(2), &bp->match)) return kHalBreakMatch;
  bp->hasMatch = true;
  // A value that could never be met: wider than the field, on a range, or before a read (the
  // value is not known yet).
  bool fits = (bp->match & ~(fieldMask >> spec.low)) == 0;
  if (!fits || bp->isRange || (bp->timing == kHookBefore && bp->access == kAccessRead)) {
    return kHalBreakMatch;
  }
  return kHalOk;
}

Breakpoint* FreeEntry() {
  for (Breakpoint& bp : Breaks.table) {
    if (!bp.used) return &bp;
  }
  return nullptr;
}

// ---- the hook ----

// The part of an access that falls in one aligned 32-bit word.
struct Lane {
  uint32_t word;
  uint32_t mask;
  uint32_t value;
};

// The lanes an access covers: one, or two when it crosses into the next word.
int AccessLanes(uint32_t index, uint32_t width, uint32_t value, Lane lanes[2]) {
  uint32_t shift = (index & 3) * 8;
  uint64_t mask = uint64_t{WidthMask(width)} << shift;
  uint64_t shifted = uint64_t{value & WidthMask(width)} << shift;
  uint32_t word = index & ~3u;
  lanes[0] = {word, static_cast<uint32_t>(mask), static_cast<uint32_t>(shifted)};
  if ((mask >> 32) == 0) return 1;
  lanes[1] = {word + 4, static_cast<uint32_t>(mask >> 32), static_cast<uint32_t>(shifted >> 32)};
  return 2;
}

struct Access {
  uint32_t index;
  AccessKind kind;
  HookTiming timing;
  uint32_t width;
  Lane lanes[2];
  int laneCount;
  bool valueKnown;  // not before a read or a modify
};

bool Matches(const Breakpoint& bp, const Access& a) {
  if (bp.timing != a.timing || (bp.access != a.kind && a.kind != kAccessModify)) return false;
  if (bp.isRange) return a.index <= bp.rangeEnd && uint64_t{a.index} + a.width - 1 >= bp.index;
  for (int i = 0; i < a.laneCount; i++) {
    const Lane& lane = a.lanes[i];
    if (bp.index != lane.word || (bp.mask & lane.mask) == 0) continue;
    if (!bp.hasMatch) return true;
    if (a.valueKnown && (bp.mask & lane.value) == bp.match << bp.bitShift) return true;
  }
  return false;
}

// A key of the stop prompt: on a terminal one key press; from a pipe the first character of the
// next line that has one. -1 at the end of input.
int ReadBreakKey() {
  if (Breaks.readKey != nullptr) return Breaks.readKey();
  ConsoleFlush();
  if (ConsoleIsTerminal()) {
    int key = ConsoleReadKeyPress();
    return ConsoleAtEnd() ? -1 : key;
  }
  char line[256];
  while (ConsoleReadLine(line, sizeof line) != LineRead::kEnd) {
    for (const char* c = line; *c != '\0'; c++) {
      if (!IsBlank(*c)) return static_cast<unsigned char>(*c);
    }
  }
  return -1;
}

// Shows where the program stopped and reads keys until s or r; the end of input runs on.
void Stop(uint32_t index, const Breakpoint* bp) {
  std::printf("\nCurrent Register: %04lX\n", static_cast<unsigned long>(index));
  if (bp != nullptr) {
    std::printf("%s %s break: Reg: %04lX ", bp->timing == kHookAfter ? "After" : "Before",
                bp->access == kAccessWrite ? "write" : "read",
                static_cast<unsigned long>(bp->index));
    if (bp->isRange) {
      std::printf("- %04lX\n", static_cast<unsigned long>(bp->rangeEnd));
    } else {
      std::printf("Mask: %04lX", static_cast<unsigned long>(bp->mask));
      if (bp->hasMatch) {
        std::printf(" Value: %04lX\n", static_cast<unsigned long>(bp->match));
      } else {
        std::printf("\n");
      }
    }
  }
  std::printf("Command: ");
  for (;;) {
    int key = ReadBreakKey();
    if (key < 0) key = 'r';
    key = std::tolower(key);
    if (key == 's' || key == 'r') {
      Breaks.stepMode = key == 's';
      std::printf("%c\n", key);
      break;
    }
    if (key == '?') {
      std::printf("\nS - step mode");
      std::printf("\nR - run until next breakpoint\n");
      std::printf("\nCommand: ");
    } else {
      std::printf("\a");
    }
  }
  std::printf("\n");
  std::fflush(stdout);
}

}  // namespace

int qvClearBreakpoints() {
  for (Breakpoint& bp : Breaks.table) bp = Breakpoint{};
  Breaks.stepMode = false;
  AccessHooks.breakpointsOn = false;
  return 1;
}

bool qvSetBreakpoints(const char* text) {
  std::string_view list = text;
  while (!list.empty()) {
    size_t semicolon = list.find(';');
    std::string_view item = list.substr(0, semicolon);
    list = semicolon == std::string_view::npos ? std::string_view() : list.substr(semicolon + 1);
    if (item.empty()) continue;
    Breakpoint bp;
    HalError error = ParseBreakpoint(item, &bp);
    Breakpoint* entry = error == kHalOk ? FreeEntry() : nullptr;
    if (error == kHalOk && entry == nullptr) error = kHalBreakTooMany;
    if (error != kHalOk) {
      Hal.lastError = error;
      return false;
    }
    *entry = bp;
    AccessHooks.breakpointsOn = true;
  }
  return true;
}

void BreakpointHook(uint32_t index, AccessKind kind, HookTiming timing, uint32_t value,
                    uint32_t width) {
  if (Breaks.stepMode) return Stop(index, nullptr);
  Access a{index, kind, timing, width, {}, 0, timing == kHookAfter || kind == kAccessWrite};
  a.laneCount = AccessLanes(index, width, value, a.lanes);
  for (const Breakpoint& bp : Breaks.table) {
    if (!bp.used) break;
    if (Matches(bp, a)) return Stop(index, &bp);
  }
}

void SetBreakKeyReader(BreakKeyReader reader) {
  Breaks.readKey = reader;
}
