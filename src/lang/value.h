// The one datum of the script language: a 32-bit unsigned number or a short text.
#pragma once

#include <cstdint>
#include <string_view>

// A text value holds at most this many characters; longer texts are cut.
constexpr size_t kTextCapacity = 255;

struct Value {
  bool isText = false;
  uint32_t number = 0;
  char text[kTextCapacity + 1] = {};

  static Value Number(uint32_t n);
  static Value Text(std::string_view s);

  void SetNumber(uint32_t n);
  // Stores at most kTextCapacity characters of s.
  void SetText(std::string_view s);
  std::string_view View() const { return text; }
  // A number is true when not 0, a text when not empty.
  bool IsTrue() const { return isText ? text[0] != '\0' : number != 0; }
};
