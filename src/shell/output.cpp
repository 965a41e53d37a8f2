#include "shell/output.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/console.h"
#include "shell/shell.h"

OutputState Output;

namespace {

// A message is expanded into room for the format plus this many characters; longer messages
// are cut there.
constexpr size_t kScratchExtra = 1024;

std::string Expand(const char* format, va_list args) {
  std::string text(std::strlen(format) + kScratchExtra, '\0');
  int n = std::vsnprintf(text.data(), text.size(), format, args);
  if (n < 0) n = 0;
  text.resize(static_cast<size_t>(n) < text.size() ? static_cast<size_t>(n) : text.size() - 1);
  return text;
}

// Each piece reaches the console through the formatter a second time, which makes a "%%" that
// survived the first expansion show as "%". Only that pair is collapsed: a "%" that came from an
// argument must never be read as a conversion.
void WritePiece(std::string_view piece) {
  std::string out;
  out.reserve(piece.size());
  for (size_t i = 0; i < piece.size(); i++) {
    out += piece[i];
    if (piece[i] == '%' && i + 1 < piece.size() && piece[i + 1] == '%') i++;
  }
  ConsoleWrite(out);
}

}  // namespace

uint32_t EffectiveConsoleMask() {
  return Output.VerboseMask;
}

bool OutPrintf(uint32_t channel, const char* format, ...) {
  bool result = channel != CH_ERR;
  if ((channel & EffectiveConsoleMask()) == 0) return result;
  va_list args;
  va_start(args, format);
  std::string text = Expand(format, args);
  va_end(args);
  std::string_view rest = text;
  for (size_t lf = rest.find('\n'); lf != std::string_view::npos; lf = rest.find('\n')) {
    WritePiece(rest.substr(0, lf));
    ConsoleWrite("\n");
    Output.LineCount++;
    rest.remove_prefix(lf + 1);
  }
  WritePiece(rest);
  return result;
}

bool ShowErrorAt(int column, const char* format, ...) {
  int width = static_cast<int>(std::strlen(Shell.prompt)) + (column > 0 ? column : 0);
  OutPrintf(CH_CMD, "%*s", width, "");
  OutPrintf(CH_CMD, "^\n");
  va_list args;
  va_start(args, format);
  ConsoleWrite(Expand(format, args));
  va_end(args);
  return false;
}
