// Lines to statements, statements to words, words to command handlers.
#pragma once

#include <cstddef>
#include <string_view>

#include "interp/command_row.h"
#include "lang/value.h"

// Runs one line: statements split at ";" and ended by a "'" comment outside double quotes, except
// that a line starting with IF or WHILE is one statement; "target = command" stores the command's
// result in the target. Returns false if a statement failed (the rest of the line is skipped).
// executed (optional) is set true when a statement with words ran, false when the last statement
// examined had none; it is left alone for a line without statements.
bool ExecuteLine(const char* line, size_t length, bool* executed);

// Runs one statement already split into words: argv[0] (lowered in place) names a command of the
// table or a script file. Returns the handler's result.
bool DispatchCommand(int argc, ArgSlot* argv, Value* result);

// Finds the first row of the table whose name list holds word.
bool FindCommand(const char* word, const CommandRow** row);

// True if word equals one of the ";"-separated names of list exactly.
bool MatchNameList(std::string_view list, std::string_view word);
