// The shared argument vector and the argument routines of the memory, register and file
// commands.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int kMaxArgs = 128;     // slots of the argument vector
constexpr size_t kArgSize = 256;  // 255 characters and the terminator
using ArgSlot = char[kArgSize];

// The words of one statement: slot 0 is the command word, slots 1 onward its arguments; every
// slot past argc is empty. Each statement that runs has its own, so a statement that a command
// runs (IF, WHILE, a script) never overwrites the words of its caller.
struct StatementWords {
  ArgSlot argv[kMaxArgs];
  int argc = 0;
  StatementWords() {
    for (ArgSlot& slot : argv) slot[0] = '\0';
  }
};

// Where the first word of the statement that runs now stands in the typed line. The dispatcher
// sets it for each statement and gives the caller's back when the statement ends.
class StatementColumnScope {
 public:
  explicit StatementColumnScope(size_t column);
  ~StatementColumnScope();
  StatementColumnScope(const StatementColumnScope&) = delete;
  StatementColumnScope& operator=(const StatementColumnScope&) = delete;

 private:
  size_t outer_;
};

// The column of word index of the running statement in the typed line, taking the words as
// separated by single blanks; error carets are placed from it.
size_t ArgColumn(const ArgSlot* argv, int index);

// Splits text into words: blanks separate words; a double-quoted run (with \" inside) and a
// bracket group ("(...)" or "[...]", nested) stay inside one word, quotes and brackets kept.
// Fills all kMaxArgs slots (unused ones empty) and returns the number of words, at most
// kMaxArgs. A word longer than a slot holds is cut, and *wordCut (when given) is set. Without
// argv the words are only counted and measured.
int SplitArgs(const char* text, size_t length, ArgSlot* argv, bool* wordCut = nullptr);

// The number of characters before the first digit, space or tab: "d16" gives 1.
size_t BaseNameLength(const char* word);

// The access unit named by the digits after the base name ("r16" gives 2 bytes), or the
// remembered unit when there are none; the unit found is remembered. Prints the error and
// returns false when the digits are not a non-zero multiple of 8.
bool UnitFromName(const char* word, uint32_t* rememberedUnit, uint32_t* unit);

// A start address: empty text gives lastAddress, "." steps back one lastLength and ".." two
// (floored at 0), anything else is a hexadecimal number or an expression. Prints the error and
// returns false when it does not convert.
bool ParseStart(const char* text, uint32_t lastAddress, uint32_t lastLength, uint32_t* start);

// A length in bytes: empty text or "." gives lastLength, "L" and a number gives that many units,
// anything else is an end address (included) not below start. Prints the error and returns false
// when it does not convert.
bool ParseEndOrLen(const char* text, uint32_t start, uint32_t unit, uint32_t lastLength,
                   uint32_t* length);
