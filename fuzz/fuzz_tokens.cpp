// Feeds arbitrary token texts to the token reader and writer, as expressions and SET would.
// Without an acquired controller, registers and memory are refused; features change only the
// chip model's own copy; sys reaches the program's memory only where it may.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "console/output.h"
#include "lang/tokens.h"
#include "lang/value.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Output.VerboseMask = 0;
  std::string_view token(reinterpret_cast<const char*>(data), size);
  // sys writes could change the fuzzer's own memory: only reads reach it.
  bool writes = true;
  if (size >= 3) {
    char c[3];
    for (int i = 0; i < 3; i++) c[i] = static_cast<char>(data[i] | 0x20);
    writes = !(c[0] == 's' && c[1] == 'y' && c[2] == 's');
  }
  for (bool asText : {false, true}) {
    Value v;
    v.isText = asText;
    const char* message = nullptr;
    int pos = GetToken(token, &v, true, &message);
    if (pos < 0 || static_cast<size_t>(pos) > size + 2) __builtin_trap();
    if (writes) {
      pos = SetToken(token, asText ? Value::Text("1") : Value::Number(1), true, &message);
      if (pos < 0 || static_cast<size_t>(pos) > size + 2) __builtin_trap();
    }
  }
  return 0;
}
