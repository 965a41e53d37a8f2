#include "base/helper.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "platform/assert.h"

namespace {

char EscapedChar(char c) {
  switch (c) {
    case '0':
      return '\0';
    case 'a':
      return '\a';
    case 'b':
      return '\b';
    case 'n':
      return '\n';
    case 'r':
      return '\r';
    case 't':
      return '\t';
    default:
      return c;
  }
}

char Lower(char c) {
  return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

}  // namespace

size_t TranslateEscapes(char* text) {
  size_t len = std::strlen(text);
  size_t out = 0;
  for (size_t i = 0; i < len; i++) {
    if (text[i] == '\\' && i + 1 < len) {
      text[out++] = EscapedChar(text[++i]);
    } else {
      text[out++] = text[i];
    }
  }
  text[out] = '\0';
  return out;
}

void LfToCrLf(char* text, size_t size) {
  size_t len = std::strlen(text);
  size_t needed = len;
  for (size_t i = 0; i < len; i++) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) needed++;
  }
  VORN_ASSERT(needed < size);
  if (needed >= size) return;
  // Grow from the end so that every character moves once.
  text[needed] = '\0';
  size_t out = needed;
  for (size_t i = len; i-- > 0;) {
    text[--out] = text[i];
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) text[--out] = '\r';
  }
}

size_t RemoveCr(char* text) {
  size_t out = 0;
  for (size_t i = 0; text[i] != '\0'; i++) {
    if (text[i] != '\r') text[out++] = text[i];
  }
  text[out] = '\0';
  return out;
}

void TruncateWithEllipsis(char* out, std::string_view text, size_t width) {
  if (text.size() <= width) {
    std::memcpy(out, text.data(), text.size());
    out[text.size()] = '\0';
    return;
  }
  size_t keep = width >= 3 ? width - 3 : 0;
  std::memcpy(out, text.data(), keep);
  std::memcpy(out + keep, "...", width - keep);
  out[width] = '\0';
}

size_t FindWrapPoint(std::string_view text, size_t width) {
  size_t lf = text.substr(0, width + 1).find('\n');
  if (text.size() <= width) return lf != std::string_view::npos ? lf : text.size();
  size_t blank = text.substr(0, width + 1).rfind(' ');
  if (blank != std::string_view::npos && (lf == std::string_view::npos || blank < lf)) {
    return blank;
  }
  return lf != std::string_view::npos ? lf : width;
}

namespace {

std::string VFormat(const char* format, va_list args) {
  va_list copy;
  va_copy(copy, args);
  int n = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string text(n > 0 ? static_cast<size_t>(n) : 0, '\0');
  std::vsnprintf(text.data(), text.size() + 1, format, args);
  return text;
}

}  // namespace

std::string FormatText(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = VFormat(format, args);
  va_end(args);
  return text;
}

std::string PadColumn(size_t width, std::string_view suffix, const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = VFormat(format, args);
  va_end(args);
  text += suffix;
  if (text.size() < width) {
    text.append(width - text.size(), ' ');
  } else {
    text += "  ";
  }
  return text;
}

void PrependStr(char* text, size_t size, std::string_view prefix) {
  if (size == 0) return;
  size_t len = std::strlen(text);
  size_t p = prefix.size() < size - 1 ? prefix.size() : size - 1;
  size_t keep = len < size - 1 - p ? len : size - 1 - p;
  std::memmove(text + p, text, keep);
  std::memcpy(text, prefix.data(), p);
  text[p + keep] = '\0';
}

int NameCompare(std::string_view a, std::string_view b, size_t n) {
  if (a.size() < n || b.size() < n) return 1;
  for (size_t i = 0; i < n; i++) {
    if (Lower(a[i]) != Lower(b[i])) return Lower(a[i]) < Lower(b[i]) ? -1 : 1;
  }
  return 0;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && NameCompare(a, b, a.size()) == 0;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && NameCompare(text, prefix, prefix.size()) == 0;
}

size_t FindNoCase(std::string_view haystack, std::string_view needle) {
  if (needle.size() > haystack.size()) return std::string_view::npos;
  for (size_t i = 0; i + needle.size() <= haystack.size(); i++) {
    if (NameCompare(haystack.substr(i), needle, needle.size()) == 0) return i;
  }
  return std::string_view::npos;
}

uint16_t Swap16(uint16_t v) {
  return static_cast<uint16_t>((v >> 8) | (v << 8));
}

uint32_t Swap32(uint32_t v) {
  return (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
}

void GetMaskRange(uint32_t mask, int* low, int* high) {
  *low = *high = -1;
  if (mask == 0) return;
  int bit = 0;
  while (!(mask & (1u << bit))) bit++;
  *low = bit;
  while (bit < 32 && (mask & (1u << bit))) bit++;
  *high = bit - 1;
}

uint32_t ShiftByMask(uint32_t value, uint32_t mask) {
  int low = 0, high = 0;
  GetMaskRange(mask, &low, &high);
  return low > 0 ? value >> low : value;
}

std::string BitRunsText(uint32_t bits) {
  std::string runs;
  char text[32];
  while (bits != 0) {
    int low = 0, high = 0;
    GetMaskRange(bits, &low, &high);
    bits &= high == 31 ? 0 : ~0u << (high + 1);
    if (high == low) {
      std::snprintf(text, sizeof text, "%s%d", runs.empty() ? "" : ", ", low);
    } else {
      std::snprintf(text, sizeof text, "%s%d:%d", runs.empty() ? "" : ", ", high, low);
    }
    runs += text;
  }
  return runs;
}

void LowerInPlace(char* text) {
  for (; *text != '\0'; text++) *text = Lower(*text);
}

std::string UpperText(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  return upper;
}
