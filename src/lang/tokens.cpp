#include "lang/tokens.h"

#include <cstdio>
#include <string>

#include "base/helper.h"
#include "chipdef/display_memory.h"
#include "console/output.h"
#include "hal/hal.h"
#include "lang/chip_tokens.h"
#include "lang/evaluate.h"
#include "lang/number.h"
#include "lang/own_memory.h"
#include "lang/random.h"
#include "lang/script_frame.h"
#include "lang/variables.h"

namespace {

enum class Array { kReg, kDisp, kSys, kBem, kArg };

// A bracketed token as written: which array, the width named after its prefix (0 when none),
// and the bracket contents.
struct Bracketed {
  Array array = Array::kReg;
  uint32_t width = 0;
  std::string_view contents;
  int contentsColumn = 0;  // 1-based position of the contents in the token
};

struct ArrayPrefix {
  const char* name;
  Array array;
};
constexpr ArrayPrefix kArrays[] = {
    {"reg", Array::kReg}, {"disp", Array::kDisp}, {"sys", Array::kSys},
    {"bem", Array::kBem}, {"arg", Array::kArg},
};

// The width named between an array's prefix and its bracket: none (0), 8, 16 or 32; -1 for
// any other digits, which must not fall back to a default width.
int WidthAfterPrefix(std::string_view width) {
  if (width.empty()) return 0;
  if (width == "8") return 8;
  if (width == "16") return 16;
  if (width == "32") return 32;
  return -1;
}

// Finds the brackets of token. Returns 0 with *found false when there are none, 0 with b filled
// for a known array, or the error position.
int ParseBrackets(std::string_view token, bool* found, Bracketed* b, const char** message) {
  size_t open = token.find('[');
  *found = open != std::string_view::npos;
  if (!*found) return 0;
  size_t close = token.find(']', open + 1);
  if (close == std::string_view::npos) {
    return Fail(message, "Missing closing bracket.", static_cast<int>(open) + 1);
  }
  if (close == open + 1) {
    return Fail(message, "Missing contents in brackets.", static_cast<int>(close) + 1);
  }
  for (const ArrayPrefix& p : kArrays) {
    std::string_view name = p.name;
    if (open < name.size() || NameCompare(token, name, name.size()) != 0) continue;
    std::string_view width = token.substr(name.size(), open - name.size());
    if (!width.empty() && !IsDecimalDigit(width[0])) continue;
    int bits = WidthAfterPrefix(width);
    if (bits < 0) {
      return Fail(message, "Invalid access width (use 8, 16 or 32).",
                  static_cast<int>(name.size()) + 1);
    }
    b->array = p.array;
    b->width = static_cast<uint32_t>(bits);
    b->contents = token.substr(open + 1, close - open - 1);
    b->contentsColumn = static_cast<int>(open) + 2;
    return 0;
  }
  return Fail(message, "Unknown array.", 1);
}

// A register access: its index, width and, for a bit range, the mask and bits.
struct RegAccess {
  uint32_t index = 0;
  uint32_t width = 0;
  bool bits = false;
  uint32_t mask = 0, high = 0, low = 0;
};

// Registers, display memory and the raw bus need the controller; without it (/nocard) they are
// refused instead of reaching a bus that was never opened.
constexpr const char* kNoController = "The LCD controller was not acquired.";

int ParseRegister(const Bracketed& b, RegAccess* r, const char** message) {
  r->bits = ParseRegBits(b.contents, &r->index, &r->mask, &r->high, &r->low);
  if (!r->bits) {
    int pos = EvalToNum(b.contents, &r->index, message);
    if (pos != 0) return Fail(message, "Invalid syntax.", b.contentsColumn + pos - 1);
  }
  if (!qvIsAcquired()) return Fail(message, kNoController, 1);
  r->width = b.width != 0 ? b.width : RegisterBits(r->index);
  return 0;
}

uint32_t ReadRegister(uint32_t width, uint32_t index) {
  return qvReadRegByWidth(index, width / 8);
}

void WriteRegister(uint32_t width, uint32_t index, uint32_t value) {
  qvWriteRegByWidth(index, width / 8, value);
}

int Digits(uint32_t width) {
  return static_cast<int>(width / 4);
}

// "REG[0012h-b3:2]", "REG[0012h-b3]" or "REG[0012h]".
std::string RegisterText(const RegAccess& r) {
  char text[64];
  int d = RegisterIndexDigits();
  if (!r.bits) {
    std::snprintf(text, sizeof text, "REG[%0*Xh]", d, r.index);
  } else if (r.high == r.low) {
    std::snprintf(text, sizeof text, "REG[%0*Xh-b%u]", d, r.index, r.high);
  } else {
    std::snprintf(text, sizeof text, "REG[%0*Xh-b%u:%u]", d, r.index, r.high, r.low);
  }
  return text;
}

int GetRegister(const Bracketed& b, Value* value, bool show, const char** message) {
  RegAccess r;
  if (int pos = ParseRegister(b, &r, message)) return pos;
  uint32_t v = ReadRegister(r.width, r.index);
  if (r.bits) v = (v & r.mask) >> r.low;
  value->SetNumber(v);
  if (show) OutPrintf(CH_SET, "%s = %0*Xh (%ut)\n", RegisterText(r).c_str(), Digits(r.width), v, v);
  return 0;
}

int SetRegister(const Bracketed& b, uint32_t v, bool show, const char** message) {
  RegAccess r;
  if (int pos = ParseRegister(b, &r, message)) return pos;
  if (!r.bits) {
    WriteRegister(r.width, r.index, v);
    std::string name = RegisterName(r.index);
    if (name.empty()) name = RegisterText(r);
    if (show) OutPrintf(CH_SET, "%s <- %0*Xh (%ut)\n", name.c_str(), Digits(r.width), v, v);
    return 0;
  }
  uint32_t old = RegisterIsWriteOnly(r.index) ? 0 : ReadRegister(r.width, r.index);
  WriteRegister(r.width, r.index, ((v << r.low) & r.mask) | (old & ~r.mask));
  if (show) {
    std::string name = RegisterName(r.index);
    OutPrintf(CH_SET, "%s%s%s <- %0*Xh (%ut)\n", RegisterText(r).c_str(), name.empty() ? "" : " ",
              name.c_str(), Digits(r.width), v, v);
  }
  return 0;
}

// disp, sys and bem: 8 bits unless the name says otherwise.
struct MemoryWindow {
  const char* label;
  bool (*read)(uint32_t address, uint32_t width, uint32_t* value);
  bool (*write)(uint32_t address, uint32_t width, uint32_t value);
};

bool ReadDisp(uint32_t a, uint32_t width, uint32_t* v) {
  *v = qvReadMemoryByWidth(a, width / 8);
  return true;
}
bool WriteDisp(uint32_t a, uint32_t width, uint32_t v) {
  qvWriteMemoryByWidth(a, width / 8, v);
  return true;
}
bool ReadBem(uint32_t a, uint32_t width, uint32_t* v) {
  *v = width == 32 ? halReadRaw32(a) : width == 16 ? halReadRaw16(a) : halReadRaw8(a);
  return true;
}
bool WriteBem(uint32_t a, uint32_t width, uint32_t v) {
  if (width == 32) halWriteRaw32(a, v);
  if (width == 16) halWriteRaw16(a, v);
  if (width == 8) halWriteRaw8(a, v);
  return true;
}
bool ReadSys(uint32_t a, uint32_t width, uint32_t* v) {
  return ReadOwnMemory(a, width / 8, v);
}
bool WriteSys(uint32_t a, uint32_t width, uint32_t v) {
  return WriteOwnMemory(a, width / 8, v);
}

const MemoryWindow kDisp{"DISP", ReadDisp, WriteDisp};
const MemoryWindow kSys{"SYS", ReadSys, WriteSys};
const MemoryWindow kBem{"BEM", ReadBem, WriteBem};

const MemoryWindow& WindowOf(Array a) {
  return a == Array::kDisp ? kDisp : a == Array::kSys ? kSys : kBem;
}

constexpr const char* kNoAccess = "The program cannot access memory at this address.";

int AccessMemory(const Bracketed& b, uint32_t* v, bool write, bool show, const char** message) {
  uint32_t address = 0;
  if (int pos = EvalToNum(b.contents, &address, message)) return b.contentsColumn + pos - 1;
  if (b.array != Array::kSys && !qvIsAcquired()) return Fail(message, kNoController, 1);
  const MemoryWindow& w = WindowOf(b.array);
  uint32_t width = b.width != 0 ? b.width : 8;
  // Display memory is reached only inside its bounds, at addresses aligned to the width.
  if (b.array == Array::kDisp && !DisplayRangeValid(address, width / 8, width / 8)) {
    return Fail(message, kNoAccess, b.contentsColumn);
  }
  bool ok = write ? w.write(address, width, *v) : w.read(address, width, v);
  if (!ok) return Fail(message, kNoAccess, b.contentsColumn);
  if (show) {
    OutPrintf(CH_SET, "%s[%08Xh] = %0*Xh (%ut)\n", w.label, address, Digits(width), *v, *v);
  }
  return 0;
}

int GetArgument(const Bracketed& b, Value* value, bool show, const char** message) {
  if (!ScriptIsRunning()) return Fail(message, "ARG does not exist (only in script files).", 1);
  uint32_t n = 0;
  if (int pos = EvalToNum(b.contents, &n, message)) return b.contentsColumn + pos - 1;
  if (n >= static_cast<uint32_t>(ScriptArgCount())) {
    return Fail(message, "Trying to access an ARG[] that exceeds ARGN.", b.contentsColumn);
  }
  value->SetText(ScriptArg(static_cast<int>(n)));
  if (show) OutPrintf(CH_SET, "ARG[%u] = \"%s\"\n", n, value->text);
  return 0;
}

int GetBracketed(const Bracketed& b, Value* value, bool show, const char** message) {
  if (b.array == Array::kReg) return GetRegister(b, value, show, message);
  if (b.array == Array::kArg) return GetArgument(b, value, show, message);
  uint32_t v = 0;
  if (int pos = AccessMemory(b, &v, false, show, message)) return pos;
  value->SetNumber(v);
  return 0;
}

int SetBracketed(std::string_view token, const Bracketed& b, const Value& value, bool show,
                 const char** message) {
  if (b.array == Array::kArg) return Fail(message, "ARG[] is read-only and cannot be set.", 1);
  if (value.isText) {
    int pos = static_cast<int>(token.size()) + 2;
    return Fail(message,
                b.array == Array::kDisp ? "Cannot use string value" : "Cannot use string value.",
                pos);
  }
  if (b.array == Array::kReg) return SetRegister(b, value.number, show, message);
  uint32_t v = value.number;
  return AccessMemory(b, &v, true, show, message);
}

void ShowReturnValue(const Value& v) {
  if (v.isText) {
    OutPrintf(CH_SET, "RETVAL = \"%s\"\n", v.text);
  } else {
    OutPrintf(CH_SET, "RETVAL = %Xh (%ut)\n", v.number, v.number);
  }
}

// argn, retval and rand. Returns -1 when the name is none of them.
int GetNamed(std::string_view name, Value* value, bool show, const char** message) {
  if (EqualsNoCase(name, "argn")) {
    if (!ScriptIsRunning()) return Fail(message, "ARGN does not exist (only in script files).", 1);
    uint32_t n = static_cast<uint32_t>(ScriptArgCount());
    value->SetNumber(n);
    if (show) OutPrintf(CH_SET, "ARGN = %Xh (%ut)\n", n, n);
    return 0;
  }
  if (EqualsNoCase(name, "retval")) {
    const Value* r = ScriptReturnValue();
    if (r == nullptr) return Fail(message, "RETVAL does not exist (only in script files).", 1);
    *value = *r;
    if (show) ShowReturnValue(*r);
    return 0;
  }
  if (EqualsNoCase(name, "rand")) {
    uint32_t n = NextRandom();
    value->SetNumber(n);
    if (show) OutPrintf(CH_SET, "RAND = %Xh (%ut)\n", n, n);
    return 0;
  }
  return -1;
}

int SetNamed(std::string_view name, const Value& value, bool show, const char** message) {
  if (EqualsNoCase(name, "argn")) return Fail(message, "ARGN is read-only and cannot be set.", 1);
  if (EqualsNoCase(name, "retval")) {
    Value* r = ScriptReturnValue();
    if (r == nullptr) return Fail(message, "RETVAL does not exist (only in script files).", 1);
    *r = value;
    if (show) ShowReturnValue(value);
    return 0;
  }
  if (EqualsNoCase(name, "rand")) {
    SeedRandom(value.number);
    if (show) OutPrintf(CH_SET, "RAND = %Xh (%ut)\n", value.number, value.number);
    return 0;
  }
  return -1;
}

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Reads the decimal digits at text[*i]; false when there are none or they are too many.
bool ReadDecimal(std::string_view text, size_t* i, uint32_t* out) {
  size_t start = *i;
  uint32_t n = 0;
  while (*i < text.size() && IsDecimalDigit(text[*i]) && *i - start < 3) {
    n = n * 10 + static_cast<uint32_t>(text[(*i)++] - '0');
  }
  *out = n;
  return *i > start && (*i == text.size() || !IsDecimalDigit(text[*i]));
}

}  // namespace

bool ParseRegBits(std::string_view contents, uint32_t* index, uint32_t* mask, uint32_t* highBit,
                  uint32_t* lowBit) {
  size_t i = 0;
  while (i < contents.size() && IsHexDigit(contents[i])) i++;
  if (i == 0 || i > 8) return false;
  uint32_t idx = StrToNum(contents.substr(0, i), 16);
  if (i < contents.size() && contents[i] == 'h') i++;
  if (contents.substr(i, 2) != "-b" && contents.substr(i, 2) != "-B") return false;
  i += 2;
  uint32_t high = 0, low = 0;
  if (!ReadDecimal(contents, &i, &high)) return false;
  bool range = i < contents.size() && contents[i] == ':';
  if (range) {
    i++;
    if (!ReadDecimal(contents, &i, &low)) return false;
  } else {
    low = high;
  }
  if (i != contents.size() || high > 31 || high < low) return false;
  *index = idx;
  *highBit = high;
  *lowBit = low;
  *mask = (0xFFFFFFFFu >> (32 - (high - low + 1))) << low;
  return true;
}

int GetToken(std::string_view token, Value* value, bool show, const char** message) {
  bool bracketed = false;
  Bracketed b;
  if (int pos = ParseBrackets(token, &bracketed, &b, message)) return pos;
  if (bracketed) return GetBracketed(b, value, show, message);
  int named = GetNamed(token, value, show, message);
  if (named >= 0) return named;
  return GetFeatureToken(token, value, show, message);
}

int SetToken(std::string_view token, const Value& value, bool show, const char** message) {
  bool bracketed = false;
  Bracketed b;
  if (int pos = ParseBrackets(token, &bracketed, &b, message)) return pos;
  if (bracketed) return SetBracketed(token, b, value, show, message);
  int named = SetNamed(token, value, show, message);
  if (named >= 0) return named;
  return SetFeatureToken(token, value, show, message);
}

int PromptToken(std::string_view token, const char** message) {
  bool bracketed = false;
  Bracketed b;
  if (int pos = ParseBrackets(token, &bracketed, &b, message)) return pos;
  if (!bracketed) {
    if (EqualsNoCase(token, "argn"))
      return Fail(message, "ARGN is read-only and cannot be set.", 1);
    return PromptFeature(token, message);
  }
  switch (b.array) {
    case Array::kReg: {
      uint32_t index = 0;
      if (int pos = EvalToNum(b.contents, &index, message)) {
        return Fail(message, "Invalid syntax.", b.contentsColumn + pos - 1);
      }
      return PromptRegister(index, message);
    }
    case Array::kDisp:
    case Array::kSys:
      return Fail(message, "Not supported.", 1);
    case Array::kArg:
      return Fail(message, "ARG[] is read-only and cannot be set.", 1);
    case Array::kBem:
      break;
  }
  return Fail(message, "Unknown array.", 1);
}

int AssignTarget(std::string_view target, const Value& value, bool echo, const char** message) {
  if (target.empty() || target[0] != '$') return SetToken(target, value, echo, message);
  if (SetVariable(target, value, ScriptScope())) return 0;
  *message = "Failed to create user variable; exceeded maximum number of variables.";
  return 1;
}
