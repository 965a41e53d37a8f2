// Every message of the program goes through OutPrintf and one of its channels.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

constexpr uint32_t CH_CMD = 1;  // prompt, script echo, blank line after a command, carets
constexpr uint32_t CH_OUT = 2;  // ordinary command output and help texts
constexpr uint32_t CH_SET = 4;  // results of reads and writes, echo of SET and assignments
constexpr uint32_t CH_ERR = 8;  // error messages
constexpr uint32_t CH_ALL = 15;

struct FileCloser {
  void operator()(FILE* f) const { fclose(f); }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

struct OutputState {
  uint32_t VerboseMask = CH_ALL;  // console channels shown
  uint32_t LogMask = CH_ALL;      // channels copied to the log file
  uint32_t HaltLines = 0;         // pager length; 0 never pauses
  uint32_t LineCount = 0;         // lines since the last pause
  FilePtr LogFile;                // the FLOG file, open for appending; none when not logging
  std::string LogName;            // its name, for messages
  // Set by the script runner: the running script's own channels (CH_ALL at the prompt), which
  // narrow VerboseMask, and single-step mode in a running script, which shows and logs all.
  uint32_t ScriptMask = CH_ALL;
  bool StepOverride = false;
};
extern OutputState Output;

// The prompt of the command line; carets of error messages count it in.
constexpr const char* kPrompt = "=";

// Columns of the console that the help and reference listings fill.
constexpr uint32_t kConsoleWidth = 80;

// The console channels shown now: VerboseMask, narrowed by the running script's own mask.
uint32_t EffectiveConsoleMask();

// True when a message on channel reaches the console now (single-step mode shows everything).
bool ChannelShown(uint32_t channel);

// Prints a message on a channel. Returns false for CH_ERR, so that a handler can return the
// result and stop its line; true otherwise, also when the channel is silenced.
bool OutPrintf(uint32_t channel, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Copies a line the engineer entered (shown on the screen after the prompt) into the log file,
// with its line end, when the log takes CH_CMD.
void LogEnteredLine(std::string_view line);

// Prints a text of any length line by line (OutPrintf bounds a single message). Returns what
// OutPrintf returns: false for CH_ERR or when the user left the pager with ESC.
bool OutText(uint32_t channel, std::string_view text);

// Counts one line written to the console. True when the pager must pause now; the count then
// starts again. A count already past HaltLines (after H lowered it) pauses at once.
bool CountPagedLine();

// Puts a caret under the given column of the typed line and prints the message straight to the
// console. Returns false.
bool ShowErrorAt(int column, const char* format, ...) __attribute__((format(printf, 2, 3)));
