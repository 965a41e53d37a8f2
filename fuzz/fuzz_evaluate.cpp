// Feeds arbitrary expressions to the evaluator, in the global scope and in a script's scope, with
// a few variables and a token resolver in place. Every result must stay within the text capacity,
// and every error position must lie inside the expression (or just after its end).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "lang/evaluate.h"
#include "lang/token_hook.h"
#include "lang/variables.h"

namespace {

int FakeToken(std::string_view token, Value* value, const char** message) {
  if (token.size() > 3) {
    *message = "Unknown feature or token.";
    return static_cast<int>(token.size());
  }
  if (value->isText) {
    value->SetText(token);
  } else {
    value->SetNumber(static_cast<uint32_t>(token.size()));
  }
  return 0;
}

void Check(std::string_view expression, const char* scope) {
  Value v;
  const char* message = nullptr;
  int pos = Evaluate(expression, &v, scope, &message);
  if (pos < 0 || static_cast<size_t>(pos) > expression.size() + 1) __builtin_trap();
  if (pos != 0 && message == nullptr) __builtin_trap();
  if (std::memchr(v.text, '\0', sizeof v.text) == nullptr) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool ready = [] {
    InstallTokenHook(FakeToken);
    SetVariable("$n", Value::Number(0x1F), nullptr);
    SetVariable("$t", Value::Text("{$t}{$n}"), nullptr);
    SetVariable("$l", Value::Text("local"), "fuzz.txt1");
    return true;
  }();
  (void)ready;
  std::string_view expression(reinterpret_cast<const char*>(data), size);
  Check(expression, nullptr);
  Check(expression, "fuzz.txt1");
  return 0;
}
