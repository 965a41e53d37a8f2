#include "commands/data_list.h"

#include "console/output.h"
#include "interp/runner.h"
#include "lang/number.h"

namespace {

uint32_t EscapedValue(char c) {
  switch (c) {
    case '0':
      return 0;
    case 'a':
      return 7;
    case 'b':
      return 8;
    case 'n':
      return 10;
    case 'r':
      return 13;
    case 't':
      return 9;
    default:
      return static_cast<unsigned char>(c);
  }
}

// Appends one value; false when the list is full.
bool Add(uint32_t value, uint32_t* values, int* count) {
  if (*count >= kMaxDataValues) return false;
  values[(*count)++] = value;
  return true;
}

// Adds the characters of a quoted argument. Returns 0, kDataListTooLong, or 1 when anything
// follows the closing quote.
int AddQuoted(const char* arg, uint32_t* values, int* count) {
  char quote = arg[0];
  const char* p = arg + 1;
  for (; *p != '\0' && *p != quote; p++) {
    uint32_t value = static_cast<unsigned char>(*p);
    if (*p == '\\' && p[1] != '\0') value = EscapedValue(*++p);
    if (!Add(value, values, count)) return kDataListTooLong;
  }
  return *p == '\0' || p[1] == '\0' ? 0 : 1;
}

}  // namespace

int ParseDataList(int argc, ArgSlot* argv, int first, uint32_t* values, int* count) {
  *count = 0;
  for (int i = first; i < argc; i++) {
    const char* arg = argv[i];
    if (arg[0] == '"' || arg[0] == '\'') {
      int quoted = AddQuoted(arg, values, count);
      if (quoted != 0) return quoted == kDataListTooLong ? quoted : i;
      continue;
    }
    uint32_t value = 0;
    if (ArgToNum(arg, 16, &value) != 0) return i;
    if (!Add(value, values, count)) return kDataListTooLong;
  }
  return 0;
}

bool ReportDataList(ArgSlot* argv, int result) {
  if (result == kDataListTooLong) {
    return OutPrintf(CH_ERR, "ERROR: Too many data values (max %d)%s.\n", kMaxDataValues,
                     ScriptLineText().c_str());
  }
  return OutPrintf(CH_ERR, "ERROR: '%s' isn't a valid data parameter.\n", argv[result]);
}

bool ParseDataArguments(int argc, ArgSlot* argv, int first, uint32_t* values, int* count) {
  int result = ParseDataList(argc, argv, first, values, count);
  if (result == 0 && *count == 0) result = first;
  return result == 0 || ReportDataList(argv, result);
}
