#include "platform/console.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "console/line_editor.h"

namespace {

bool NoDigits(int key) {
  return !std::isdigit(key);
}

// Input that is not a terminal is read as plain bytes, and its end reads as Esc or as no line.
// The end of input stays for the rest of the process, so this is the one test that reads it.
TEST(Console, PipedInputIsPlainBytesAndItsEndReadsAsEsc) {
  int saved = dup(STDIN_FILENO);
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  const std::string input = "a\x1b[A\r\nx1y2\r\n\nUP\n \x7f";
  ASSERT_EQ(write(fds[1], input.data(), input.size()), static_cast<ssize_t>(input.size()));
  close(fds[1]);
  dup2(fds[0], STDIN_FILENO);
  close(fds[0]);

  EXPECT_FALSE(ConsoleIsTerminal());
  EXPECT_TRUE(ConsoleKeyPending());
  // No decoding: an escape sequence arrives byte by byte.
  for (int expected : {int{'a'}, 27, int{'['}, int{'A'}, 13, 10})
    EXPECT_EQ(ConsoleReadKey(), expected);
  char line[8];
  EXPECT_STREQ(ReadLine(line, sizeof line, NoDigits, false), "xy");
  EXPECT_EQ(ReadLine(line, sizeof line, nullptr, false), nullptr);  // an empty line
  EXPECT_FALSE(ConsoleAtEnd());
  char name[kKeyNameSize];
  for (const char* expected : {"U", "P", "\n", "SPACE", "\x7f"}) {
    ReadKeyName(name);
    EXPECT_STREQ(name, expected);
  }
  EXPECT_TRUE(ConsoleKeyPending());  // the end is pending too, so a waiting loop ends
  EXPECT_EQ(ConsoleReadKey(), kKeyEsc);
  EXPECT_TRUE(ConsoleAtEnd());
  ReadKeyName(name);
  EXPECT_STREQ(name, "ESC");
  EXPECT_EQ(ReadLine(line, sizeof line, nullptr, true), nullptr);

  dup2(saved, STDIN_FILENO);
  close(saved);
}

}  // namespace
