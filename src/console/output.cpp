#include "console/output.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/console.h"

OutputState Output;

namespace {

// A message is expanded into room for the format plus this many characters; longer messages
// are cut there, keeping the line end that the format puts last so that the next line does not
// run on.
constexpr size_t kScratchExtra = 1024;

std::string Expand(const char* format, va_list args) {
  size_t formatLength = std::strlen(format);
  std::string text(formatLength + kScratchExtra, '\0');
  int n = std::vsnprintf(text.data(), text.size(), format, args);
  if (n < 0) n = 0;
  if (static_cast<size_t>(n) < text.size()) {
    text.resize(static_cast<size_t>(n));
  } else {
    text.resize(text.size() - 1);
    if (formatLength > 0 && format[formatLength - 1] == '\n') text.back() = '\n';
  }
  return text;
}

// The text as the console shows it: each piece reaches the console through the formatter a
// second time, which makes a "%%" that survived the first expansion show as "%". Only that pair
// is collapsed: a "%" that came from an argument must never be read as a conversion.
std::string Shown(std::string_view piece) {
  std::string out;
  out.reserve(piece.size());
  for (size_t i = 0; i < piece.size(); i++) {
    out += piece[i];
    if (piece[i] == '%' && i + 1 < piece.size() && piece[i + 1] == '%') i++;
  }
  return out;
}

void WritePiece(std::string_view piece) {
  ConsoleWrite(Shown(piece));
}

constexpr std::string_view kMorePrompt = "-- more [ESC to exit] --";

// Shows the pager's prompt, waits for one key of the terminal and erases the prompt. False when
// the key is ESC. Piped input is never read here; without any terminal the pager does not stop.
bool WaitForMore() {
  if (!ConsoleHasTerminal()) return true;
  ConsoleWrite(kMorePrompt);
  int key = ConsoleReadTerminalKey();
  std::string erase;
  for (size_t i = 0; i < kMorePrompt.size(); i++) erase += "\b \b";
  ConsoleWrite(erase);
  return key != kKeyEsc;
}

// Writes the text line by line, running the pager after every line feed. False when the user
// left the pager with ESC.
bool WriteToConsole(std::string_view text) {
  for (size_t lf = text.find('\n'); lf != std::string_view::npos; lf = text.find('\n')) {
    WritePiece(text.substr(0, lf));
    ConsoleWrite("\n");
    if (CountPagedLine() && !WaitForMore()) return false;
    text.remove_prefix(lf + 1);
  }
  WritePiece(text);
  return true;
}

// A write that fails (a full disk) ends logging with one message, instead of losing every
// later line without a word.
void WriteToLog(const std::string& text) {
  FILE* log = Output.LogFile.get();
  if (fwrite(text.data(), 1, text.size(), log) == text.size() && fflush(log) == 0) return;
  int error = errno;
  Output.LogFile.reset();
  OutPrintf(CH_ERR, "ERROR: Could not write to log file '%s' (%s); file logging stopped.\n",
            Output.LogName.c_str(), std::strerror(error));
}

}  // namespace

uint32_t EffectiveConsoleMask() {
  return Output.VerboseMask & Output.ScriptMask;
}

bool ChannelShown(uint32_t channel) {
  return Output.StepOverride || (channel & EffectiveConsoleMask()) != 0;
}

void LogEnteredLine(std::string_view line) {
  if (!Output.LogFile || (!Output.StepOverride && (Output.LogMask & CH_CMD) == 0)) return;
  WriteToLog(std::string(line) + "\n");
}

bool CountPagedLine() {
  Output.LineCount++;
  if (Output.HaltLines == 0 || Output.LineCount < Output.HaltLines) return false;
  Output.LineCount = 0;
  return true;
}

// A script in single-step mode shows and logs everything, whatever the masks say.
bool OutPrintf(uint32_t channel, const char* format, ...) {
  const bool result = channel != CH_ERR;
  const bool toLog = Output.LogFile && (Output.StepOverride || (channel & Output.LogMask) != 0);
  const bool toConsole = ChannelShown(channel);
  if (!toLog && !toConsole) return result;
  va_list args;
  va_start(args, format);
  std::string text = Expand(format, args);
  va_end(args);
  if (toLog) WriteToLog(Shown(text));
  if (toConsole && !WriteToConsole(text)) return false;
  return result;
}

bool OutText(uint32_t channel, std::string_view text) {
  for (size_t lf = text.find('\n'); lf != std::string_view::npos; lf = text.find('\n')) {
    if (!OutPrintf(channel, "%.*s\n", static_cast<int>(lf), text.data())) return false;
    text.remove_prefix(lf + 1);
  }
  return text.empty() || OutPrintf(channel, "%.*s", static_cast<int>(text.size()), text.data());
}

bool ShowErrorAt(int column, const char* format, ...) {
  int width = static_cast<int>(std::strlen(kPrompt)) + (column > 0 ? column : 0);
  OutPrintf(CH_CMD, "%*s", width, "");
  OutPrintf(CH_CMD, "^\n");
  va_list args;
  va_start(args, format);
  ConsoleWrite(Expand(format, args));
  va_end(args);
  return false;
}
