// Small scanning helpers shared by the parts of the evaluator.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

#include "base/helper.h"
#include "lang/value.h"

// Drops blanks and tabs at both ends; *lead grows by the number dropped at the front.
inline std::string_view TrimBlanks(std::string_view text, size_t* lead) {
  size_t b = 0;
  while (b < text.size() && IsBlank(text[b])) b++;
  size_t e = text.size();
  while (e > b && IsBlank(text[e - 1])) e--;
  *lead += b;
  return text.substr(b, e - b);
}

// Whether the double quote at text[i] opens or closes a quoted part: a quote preceded by a
// backslash does not, unless that backslash is itself preceded by one.
inline bool QuoteToggles(std::string_view text, size_t i) {
  if (i == 0 || text[i - 1] != '\\') return true;
  return i >= 2 && text[i - 2] == '\\';
}

// Builds a text of at most the value capacity; whatever does not fit is cut.
class TextBuilder {
 public:
  void Append(std::string_view s) {
    size_t room = kTextCapacity - length_;
    size_t n = s.size() < room ? s.size() : room;
    std::memcpy(buffer_ + length_, s.data(), n);
    length_ += n;
  }
  void Append(char c) {
    if (length_ < kTextCapacity) buffer_[length_++] = c;
  }
  bool Full() const { return length_ == kTextCapacity; }
  std::string_view View() const { return {buffer_, length_}; }

 private:
  char buffer_[kTextCapacity];
  size_t length_ = 0;
};
