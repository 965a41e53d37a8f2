#include "lang/value.h"

#include <cstring>

Value Value::Number(uint32_t n) {
  Value v;
  v.SetNumber(n);
  return v;
}

Value Value::Text(std::string_view s) {
  Value v;
  v.SetText(s);
  return v;
}

void Value::SetNumber(uint32_t n) {
  isText = false;
  number = n;
  text[0] = '\0';
}

void Value::SetText(std::string_view s) {
  size_t n = s.size() < kTextCapacity ? s.size() : kTextCapacity;
  isText = true;
  number = 0;
  // memmove: the source may be this value's own text.
  std::memmove(text, s.data(), n);
  text[n] = '\0';
}
