// Console input and output on Linux. On a terminal, input is read in raw mode (no echo, one key
// at a time) and the terminal is restored on every way out; keys arrive as the program's codes.
// Other input (pipes, files) is read as plain bytes. Output is plain standard output.
#pragma once

#include <cstddef>
#include <string_view>

constexpr int kKeyBackspace = 8;
constexpr int kKeyTab = 9;
constexpr int kKeyLineFeed = 10;
constexpr int kKeyReturn = 13;
constexpr int kKeyCtrlR = 18;
constexpr int kKeyEsc = 27;
constexpr int kKeyDeleteWord = 127;  // Ctrl+Backspace and Ctrl+W
// An extended key is this code followed by one of the codes below.
constexpr int kKeyExtended = 224;
constexpr int kKeyHome = 71;
constexpr int kKeyUp = 72;
constexpr int kKeyPgUp = 73;
constexpr int kKeyLeft = 75;
constexpr int kKeyRight = 77;
constexpr int kKeyEnd = 79;
constexpr int kKeyDown = 80;
constexpr int kKeyPgDn = 81;
constexpr int kKeyIns = 82;
constexpr int kKeyDel = 83;
// A key that means nothing to the program (a non-ASCII character, a NUL), never read as the
// first half of an extended key.
constexpr int kKeyOther = 255;

// True when standard input is a terminal.
bool ConsoleIsTerminal();

// Reads one byte of input without any decoding; -1 at the end of input.
int ConsoleReadByte();

// The byte ConsoleReadByte would give next, left in the input (waits for it when none is there).
int ConsolePeekByte();

// Reads one key: on a terminal decoded into the program's codes (an extended key gives
// kKeyExtended, and its second code on the next call), otherwise the next byte. At the end of
// input it returns kKeyEsc.
int ConsoleReadKey();

// Reads one key press: as ConsoleReadKey, but an extended key is read with its second code and
// gives kKeyOther, for the callers that never act on one.
int ConsoleReadKeyPress();

// True when the process has a terminal to ask: standard input, or a controlling terminal.
bool ConsoleHasTerminal();

// Reads one key from the controlling terminal, for the prompts that must never consume piped
// input (the pager, the assertion): standard input when it is the terminal, else /dev/tty. A
// lone Esc gives kKeyEsc, Enter kKeyReturn, any extended or unknown key kKeyOther. -1 when the
// process has no terminal at all, or at its end.
int ConsoleReadTerminalKey();

// True when a key can be read without waiting (also at the end of input, where the read gives
// kKeyEsc).
bool ConsoleKeyPending();

// True once a read has met the end of input.
bool ConsoleAtEnd();

// What ConsoleReadLine found.
enum class LineRead {
  kLine,     // a whole line
  kEnd,      // the end of input, nothing read
  kTooLong,  // a line longer than the buffer holds: its first size - 1 characters are in buf
  kHasNul,   // a line with a NUL byte in it, which would end it early
};

// Reads one line of plain bytes into buf (at most size - 1 characters). The line end (LF, CR or
// CR LF) is not stored. A line is always read to its end, also when it is refused.
LineRead ConsoleReadLine(char* buf, size_t size);

// Writes text straight to the console, past every mask and log.
void ConsoleWrite(std::string_view text);

// Hands the terminal back in its original mode (for a program run in the foreground); raw mode
// returns at the next key read.
void ConsoleRestoreTerminal();

// Runs hook when SIGINT, SIGTERM, SIGHUP or SIGQUIT ends the program, after the terminal is
// restored and before the signal takes its course; the hook may use async-signal-safe calls
// only. The handlers are installed at once, whether or not input is a terminal.
void ConsoleOnQuitSignal(void (*hook)());
void ConsoleFlush();
