// The shared argument vector and the argument routines of the memory, register and file
// commands.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int kMaxArgs = 128;     // slots of the argument vector
constexpr size_t kArgSize = 256;  // 255 characters and the terminator
using ArgSlot = char[kArgSize];

// Slot 0 is the command word, slots 1 onward its arguments; every slot past ArgCount is empty.
struct ArgState {
  ArgSlot ArgVector[kMaxArgs] = {};
  int ArgCount = 0;
  size_t StatementColumn = 0;  // where the statement's first word stands in the typed line
};
extern ArgState Args;

// The column of word index in the typed line, taking the words as separated by single blanks;
// error carets are placed from it.
size_t ArgColumn(const ArgSlot* argv, int index);

// Splits text into words: blanks separate words; a double-quoted run (with \" inside) and a
// bracket group ("(...)" or "[...]", nested) stay inside one word, quotes and brackets kept.
// Fills all kMaxArgs slots (unused ones empty) and returns the number of words.
int SplitArgs(const char* text, size_t length, ArgSlot* argv);

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
