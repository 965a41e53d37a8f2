// A small program around the line editor for the pseudo-terminal tests: it completes from its
// own names, reads lines at the "=" prompt and prints each as "[line]" ("[]" for none), until
// the end of input or the line "quit". With the argument "keys" it names every key instead,
// until Q. A numeric argument is the line buffer's size.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "console/line_editor.h"
#include "console/output.h"
#include "console/tree.h"
#include "platform/console.h"

namespace {

void NameKeys() {
  char name[kKeyNameSize];
  do {
    ReadKeyName(name);
    std::printf("<%s>", name);
    std::fflush(stdout);
  } while (std::strcmp(name, "Q") != 0);
  std::printf("\n");
}

void ReadLines(size_t size) {
  char line[1024];
  for (;;) {
    OutPrintf(CH_CMD, "%s", kPrompt);
    const char* got = ReadLine(line, size, nullptr, true);
    if (got == nullptr && ConsoleAtEnd()) break;
    std::printf("[%s]\n", got != nullptr ? got : "");
    std::fflush(stdout);
    if (got != nullptr && std::strcmp(got, "quit") == 0) break;
  }
}

}  // namespace

int main(int argc, char** argv) {
  NameIndex index;
  InitNameIndex(&index);
  for (const char* name : {"pip1width", "pip1height", "pip2width", "hdp"}) AddName(&index, name);
  for (int i = 0; i < 12; i++) AddName(&index, ("many" + std::to_string(i)).c_str());
  SetCompletionIndex(&index);
  if (argc > 1 && std::strcmp(argv[1], "keys") == 0) {
    NameKeys();
  } else {
    size_t size = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 256;
    ReadLines(size < sizeof(char[1024]) ? size : 1024);
  }
  SetCompletionIndex(nullptr);
  return 0;
}
