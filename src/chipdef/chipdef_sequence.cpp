// Sequence features as text: "c2A p1 d10(wait)" is a command, a parameter and a delay of 10 ms
// that carries the text "wait".
#include <cstring>
#include <string>

#include "base/number_text.h"
#include "chipdef/chipdef_base.h"
#include "hal/hcl_data.h"

namespace {

constexpr size_t kMaxEntryText = 255;

struct SeqKind {
  const char* prefix;
  uint32_t kind;
  int radix;
};

constexpr SeqKind kKinds[] = {
    {"c", kSeqCommand, 16}, {"p", kSeqParameter, 16}, {"d", kSeqDelayMs, 10},
    {"id", kSeqKindId, 16}, {"ap", kSeqKindAp, 16},   {"as", kSeqKindAs, 16},
};

const SeqKind* KindOf(uint32_t kind) {
  for (const SeqKind& k : kKinds) {
    if (k.kind == kind) return &k;
  }
  return nullptr;
}

const SeqKind* KindByPrefix(std::string_view prefix) {
  for (const SeqKind& k : kKinds) {
    if (prefix == k.prefix) return &k;
  }
  return nullptr;
}

int DigitOf(char c, int radix) {
  int d = c >= '0' && c <= '9'   ? c - '0'
          : c >= 'a' && c <= 'f' ? c - 'a' + 10
          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                 : 99;
  return d < radix ? d : -1;
}

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

const char* ChipDefBase::SequenceText(const char* name) {
  std::string text;
  uint32_t kind = 0, number = 0;
  const char* entryText = nullptr;
  for (uint32_t n = 0; GetSeqEntry(name, n, &kind, &number, &entryText); n++) {
    const SeqKind* k = KindOf(kind);
    char digits[kNumStrSize];
    text += k ? k->prefix : "?";
    text += NumToStr(digits, number, k ? k->radix : 16, 0);
    if (entryText != nullptr && entryText[0] != '\0') {
      text += '(';
      text += entryText;
      text += ')';
    }
    text += "  ";
  }
  if (!text.empty()) text.resize(text.size() - 2);
  return ScratchText(text);
}

bool ChipDefBase::StoreSequence(const char* name, const char* text) {
  uint32_t stored = 0;
  const char* p = text;
  while (*p == ' ') p++;
  while (*p != '\0') {
    // The item's letters: a and i take one more character; c, d and p stand alone.
    std::string prefix(1, Lower(*p));
    if (prefix == "a") {
      prefix = p[1] != '\0' && Lower(p[1]) == 'p' ? "ap" : "as";
      p += p[1] != '\0' ? 2 : 1;
    } else if (prefix == "i") {
      prefix = "id";
      p += p[1] != '\0' ? 2 : 1;
    } else {
      p++;
    }
    const SeqKind* k = KindByPrefix(prefix);
    if (k == nullptr) {
      // Anything else skips the rest up to the next semicolon.
      p = std::strchr(p - 1, ';');
      if (p == nullptr) break;
      p++;
      while (*p == ' ') p++;
      continue;
    }
    uint32_t number = 0;
    for (int d; (d = DigitOf(*p, k->radix)) >= 0; p++) number = number * k->radix + d;
    while (*p != '\0' && *p != ' ' && *p != '(') p++;
    std::string entryText;
    if (*p == '(') {
      p++;
      while (*p != '\0' && *p != ')' && *p != ';' && entryText.size() < kMaxEntryText) {
        entryText += *p++;
      }
      while (*p != '\0' && *p != ')' && *p != ';') p++;  // the part past the longest text
      if (*p == ')') p++;
    }
    if (!SetSeqEntry(name, stored, k->kind, number & kSeqDataMask, entryText.c_str())) {
      // What fitted is kept, but a sequence cut short is not reported as stored.
      SetSeqLength(name, stored);
      return false;
    }
    stored++;
    while (*p == ' ') p++;
  }
  return SetSeqLength(name, stored);
}
