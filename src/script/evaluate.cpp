#include "script/evaluate.h"

// Until the operator table lands, nothing but plain literals is understood.
int Evaluate(std::string_view, Value*, const char** message) {
  *message = "Unknown token or expression.";
  return 1;
}

int EvalToNum(std::string_view text, uint32_t* out, const char** message) {
  Value v;
  int pos = Evaluate(text, &v, message);
  if (pos != 0) return pos;
  if (v.isText) {
    *message = "Value cannot be a string.";
    return 1;
  }
  *out = v.number;
  return 0;
}
