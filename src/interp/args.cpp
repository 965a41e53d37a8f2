#include "interp/args.h"

#include <cstring>

#include "base/helper.h"
#include "console/output.h"
#include "lang/number.h"

namespace {

size_t StatementColumn = 0;

// The longest quoted run or bracket group copied into one word.
constexpr size_t kGroupLimit = kArgSize - 2;

// Words are separated by blanks, and line ends count as blanks.
bool SeparatesWords(char c) {
  return IsBlank(c) || c == '\r' || c == '\n';
}

// Builds one word out of text, starting at pos; returns the position after it. Without a
// word to fill it only measures, so that a line can be checked before any of it runs.
struct WordBuilder {
  const char* text;
  size_t length;
  size_t pos;
  char* word;  // null: measure only
  size_t len = 0;
  bool cut = false;  // characters were dropped to fit the slot

  void Append(char c) {
    if (len >= kArgSize - 1) {
      cut = true;
      return;
    }
    if (word != nullptr) word[len] = c;
    len++;
  }
  bool More() const { return pos < length; }
  // A group that reached the limit with text still to come is cut there.
  void NoteGroupEnd() {
    if (More() && len >= kGroupLimit) cut = true;
  }

  void CopyQuoted() {
    Append(text[pos++]);
    while (More() && len < kGroupLimit) {
      char c = text[pos++];
      Append(c);
      if (c == '\\' && More()) {
        Append(text[pos++]);
      } else if (c == '"') {
        return;
      }
    }
    NoteGroupEnd();
  }

  // Like every other step of the builder, this consumes at least its first character, so a
  // word that is already full still moves on.
  void CopyBracketGroup() {
    char open = text[pos];
    char close = open == '(' ? ')' : ']';
    Append(text[pos++]);
    int depth = 1;
    while (More() && len < kGroupLimit) {
      char c = text[pos++];
      Append(c);
      if (c == open) depth++;
      if (c == close && --depth == 0) return;
    }
    NoteGroupEnd();
  }

  void Build() {
    while (More() && !SeparatesWords(text[pos])) {
      char c = text[pos];
      if (c == '"') {
        CopyQuoted();
      } else if (c == '(' || c == '[') {
        CopyBracketGroup();
      } else {
        Append(c);
        pos++;
      }
    }
    if (word != nullptr) word[len] = '\0';
  }
};

}  // namespace

int SplitArgs(const char* text, size_t length, ArgSlot* argv, bool* wordCut) {
  if (argv != nullptr) {
    for (int i = 0; i < kMaxArgs; i++) argv[i][0] = '\0';
  }
  if (wordCut != nullptr) *wordCut = false;
  size_t pos = 0;
  while (pos < length && SeparatesWords(text[pos])) pos++;
  int count = 0;
  while (pos < length && count < kMaxArgs) {
    WordBuilder builder{text, length, pos, argv != nullptr ? argv[count] : nullptr};
    builder.Build();
    if (builder.cut && wordCut != nullptr) *wordCut = true;
    pos = builder.pos;
    count++;
    while (pos < length && SeparatesWords(text[pos])) pos++;
  }
  return count;
}

size_t BaseNameLength(const char* word) {
  return std::strcspn(word, "0123456789 \t");
}

bool UnitFromName(const char* word, uint32_t* rememberedUnit, uint32_t* unit) {
  const char* digits = word + BaseNameLength(word);
  if (*digits >= '0' && *digits <= '9') {
    uint32_t bits = 0;
    if (ArgToNum(digits, 10, &bits) != 0 || bits == 0 || bits % 8 != 0) {
      return OutPrintf(CH_ERR, "ERROR: '%s' isn't a valid command.\n", word);
    }
    *rememberedUnit = bits / 8;
  }
  *unit = *rememberedUnit;
  return true;
}

namespace {

uint32_t StepBack(uint32_t address, uint64_t distance) {
  return distance > address ? 0 : static_cast<uint32_t>(address - distance);
}

uint32_t ClampLength(uint64_t length) {
  return length > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(length);
}

}  // namespace

bool ParseStart(const char* text, uint32_t lastAddress, uint32_t lastLength, uint32_t* start) {
  if (text[0] == '\0') {
    *start = lastAddress;
  } else if (std::strcmp(text, ".") == 0) {
    *start = StepBack(lastAddress, lastLength);
  } else if (std::strcmp(text, "..") == 0) {
    *start = StepBack(lastAddress, 2ull * lastLength);
  } else if (ArgToNum(text, 16, start) != 0) {
    return OutPrintf(CH_ERR, "ERROR: '%s' isn't a valid start address.\n", text);
  }
  return true;
}

bool ParseEndOrLen(const char* text, uint32_t start, uint32_t unit, uint32_t lastLength,
                   uint32_t* length) {
  uint32_t n = 0;
  if (text[0] == '\0' || std::strcmp(text, ".") == 0) {
    *length = lastLength;
  } else if ((text[0] == 'L' || text[0] == 'l') && ArgToNum(text + 1, 16, &n) == 0) {
    *length = ClampLength(uint64_t{n} * unit);
  } else if (ArgToNum(text, 16, &n) == 0 && n >= start) {
    *length = ClampLength(uint64_t{n} - start + unit);
  } else {
    return OutPrintf(CH_ERR, "ERROR: '%s' isn't a valid end address or length.\n", text);
  }
  return true;
}

StatementColumnScope::StatementColumnScope(size_t column) : outer_(StatementColumn) {
  StatementColumn = column;
}

StatementColumnScope::~StatementColumnScope() {
  StatementColumn = outer_;
}

size_t ArgColumn(const ArgSlot* argv, int index) {
  size_t column = StatementColumn;
  for (int i = 0; i < index; i++) column += std::strlen(argv[i]) + 1;
  return column;
}
