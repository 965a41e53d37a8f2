#include "commands/data_list.h"

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

// Adds the characters of a quoted argument; false when anything follows the closing quote.
bool AddQuoted(const char* arg, uint32_t* values, int* count) {
  char quote = arg[0];
  const char* p = arg + 1;
  for (; *p != '\0' && *p != quote; p++) {
    uint32_t value = static_cast<unsigned char>(*p);
    if (*p == '\\' && p[1] != '\0') value = EscapedValue(*++p);
    if (*count < kMaxDataValues) values[(*count)++] = value;
  }
  return *p == '\0' || p[1] == '\0';
}

}  // namespace

int ParseDataList(int argc, ArgSlot* argv, int first, uint32_t* values, int* count) {
  *count = 0;
  for (int i = first; i < argc; i++) {
    const char* arg = argv[i];
    if (arg[0] == '"' || arg[0] == '\'') {
      if (!AddQuoted(arg, values, count)) return i;
      continue;
    }
    uint32_t value = 0;
    if (ArgToNum(arg, 16, &value) != 0) return i;
    if (*count < kMaxDataValues) values[(*count)++] = value;
  }
  return 0;
}
