#include "platform/console.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace {

// Our own read buffer on descriptor 0, so that a CR can look at the byte after it.
struct InputBuffer {
  unsigned char bytes[4096];
  size_t pos = 0;
  size_t len = 0;
  bool atEnd = false;
};
InputBuffer Input;

bool FillInput() {
  if (Input.atEnd) return false;
  ConsoleFlush();
  for (;;) {
    ssize_t n = read(STDIN_FILENO, Input.bytes, sizeof Input.bytes);
    if (n > 0) {
      Input.pos = 0;
      Input.len = static_cast<size_t>(n);
      return true;
    }
    if (n < 0 && errno == EINTR) continue;
    Input.atEnd = true;
    return false;
  }
}

int PeekByte() {
  if (Input.pos == Input.len && !FillInput()) return -1;
  return Input.bytes[Input.pos];
}

}  // namespace

int ConsoleReadByte() {
  int c = PeekByte();
  if (c >= 0) Input.pos++;
  return c;
}

bool ConsoleReadLine(char* buf, size_t size) {
  size_t n = 0;
  int c = ConsoleReadByte();
  if (c < 0) return false;
  for (; c >= 0 && c != '\n' && c != '\r'; c = ConsoleReadByte()) {
    if (n + 1 < size) buf[n++] = static_cast<char>(c);
  }
  if (c == '\r' && PeekByte() == '\n') ConsoleReadByte();
  if (size > 0) buf[n] = '\0';
  return true;
}

void ConsoleWrite(std::string_view text) {
  fwrite(text.data(), 1, text.size(), stdout);
}

void ConsoleFlush() {
  fflush(stdout);
}
