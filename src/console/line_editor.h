// The line editor of the prompt (and of INPUT): editing keys, a history of the lines entered,
// and name completion; and the key-name reader of the interactive commands.
#pragma once

#include <cstddef>

// Answers whether a key may reach the line editor; keys it refuses are ignored.
using KeyFilter = bool (*)(int key);

constexpr size_t kHistoryLines = 200;
constexpr size_t kHistoryLineSize = 256;  // a longer line is stored cut to 255 characters

// Reads one line into buffer (at most size - 1 characters). On a terminal the keys are echoed
// and edited; other input gives its next line as it stands, shown with its line end as if typed.
// The line entered goes to the log file like the rest of the screen. Returns buffer, or nullptr for
// an empty line and at the end of input. With useHistory, the editor browses the history and a line
// that differs from the last one stored is added to it.
// A piped line that is longer than the buffer holds, or that holds a NUL byte, is never handed on
// cut: it is refused with its message, the result is nullptr and *refused (when given) is set.
char* ReadLine(char* buffer, size_t size, KeyFilter filter, bool useHistory,
               bool* refused = nullptr);

// Room for the longest key name and its terminator.
constexpr size_t kKeyNameSize = 8;

// Waits for one key and writes its name ("ESC", "UP", "a", ...) into name.
void ReadKeyName(char* name);
