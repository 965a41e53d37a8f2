// Register pictures and feature descriptions: a register's bits drawn with the keys of the
// fields in them, and a feature explained with its formula, its value and its possible values.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "base/helper.h"
#include "chipdef/chipdef_base.h"

namespace {

// A description's left margin with the overlap column: the bits, "[overlap]", then blanks.
constexpr size_t kMarginWidth = 20;
// Each bit of a picture row takes eight characters and its closing bar.
constexpr uint32_t kBitColumns = 9;
// Continuation lines of a long formula stand this far in.
constexpr std::string_view kContinuation = "    ";

bool Holds(const FeatureRec& f, int bit) {
  return bit >= 0 && bit < 32 && ((f.Mask >> bit) & 1) != 0;
}

std::string Hex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%Xh", value);
  return text;
}

// An operator as the formula shows it: "+1" as "+ 1", "e" as it stands.
std::string OperatorText(const std::string& op) {
  if (op.size() <= 1) return op;
  return op.substr(0, 1) + " " + op.substr(1);
}

// The part of text that fits width columns, and the rest (without the blank or line feed that
// ends the part).
std::string_view TakeLine(std::string_view* text, size_t width) {
  size_t cut = FindWrapPoint(*text, width);
  if (cut == 0) cut = std::min(width, text->size());
  std::string_view line = text->substr(0, cut);
  text->remove_prefix(cut);
  if (!text->empty() && ((*text)[0] == ' ' || (*text)[0] == '\n')) text->remove_prefix(1);
  return line;
}

// Room for running text: the console width less the margin and one column kept free.
size_t TextWidth(uint32_t columns, size_t margin) {
  constexpr size_t kNarrowest = 16;
  return columns > margin + kNarrowest ? columns - margin - 1 : kNarrowest;
}

// Lines joined by the line end, each started by the prefix and, with the overlap column, by
// the margin of its place: the bits on the first line, "[overlap]" on the second.
class DescriptionLines {
 public:
  DescriptionLines(std::string* out, std::string_view prefix, std::string_view lineEnd, bool margin,
                   std::string bits, bool overlap, uint32_t columns)
      : out_(out),
        prefix_(prefix),
        lineEnd_(lineEnd),
        margin_(margin),
        bits_(std::move(bits)),
        overlap_(overlap),
        width_(TextWidth(columns, margin ? kMarginWidth : 0)) {}

  // A line; one too long for the console goes on in indented lines, broken before one of its
  // " + " joins (a formula's parts), else at a blank.
  void Add(std::string_view text) {
    std::string_view indent = "";
    do {
      const size_t room = width_ - indent.size();
      size_t cut = text.size();
      if (text.size() > room) {
        const size_t join = text.substr(0, room + 1).rfind(" + ");
        cut = join != std::string_view::npos && join > 0 ? join : FindWrapPoint(text, room);
        if (cut == 0) cut = room;
      }
      AddLine(indent, text.substr(0, cut));
      text.remove_prefix(cut);
      if (!text.empty() && text[0] == ' ') text.remove_prefix(1);
      indent = kContinuation;
    } while (!text.empty());
  }

  // Running text broken at blanks.
  void AddParagraph(std::string_view text) {
    while (!text.empty()) AddLine("", TakeLine(&text, width_));
  }

 private:
  void AddLine(std::string_view indent, std::string_view text) {
    if (count_ > 0) out_->append(lineEnd_);
    out_->append(prefix_);
    if (margin_) {
      const std::string_view mark = count_ == 0               ? std::string_view(bits_)
                                    : count_ == 1 && overlap_ ? "[overlap]"
                                                              : "";
      out_->append(kMarginWidth - 2 - std::min(mark.size(), kMarginWidth - 2), ' ');
      out_->append(mark.substr(0, kMarginWidth - 2));
      out_->append("  ");
    }
    out_->append(indent).append(text);
    count_++;
  }

  std::string* out_;
  std::string_view prefix_, lineEnd_;
  bool margin_;
  std::string bits_;
  bool overlap_;
  size_t width_;
  size_t count_ = 0;
};

// The cell of one bit in the row of bit numbers: "----7---+", "---12---+".
std::string BitNumberCell(int bit) {
  char text[16];
  std::snprintf(text, sizeof text, "%s%d---+", bit >= 10 ? "---" : "----", bit);
  return text;
}

// Text padded with blanks to width, cut when longer.
std::string Cell(std::string_view text, size_t width) {
  std::string cell(text.substr(0, width));
  cell.append(width - cell.size(), ' ');
  return cell;
}

// The key as two lines of a cell: broken at the key's abbreviation when that fits, else at the
// cell's width.
void SplitKey(const std::string& key, uint32_t abbrevLen, size_t width, std::string* first,
              std::string* second) {
  if (key.size() <= width) {
    *first = key;
    second->clear();
    return;
  }
  const size_t cut =
      abbrevLen < key.size() && abbrevLen > 0 && abbrevLen <= width ? abbrevLen : width;
  *first = key.substr(0, cut);
  *second = key.substr(cut);
}

const FeatureRec* FieldAt(const std::vector<const FeatureRec*>& fields, int bit) {
  for (const FeatureRec* f : fields) {
    if (Holds(*f, bit)) return f;
  }
  return nullptr;
}

// Three lines of a picture row from bit top down to bit low: two lines of names, one of bit
// numbers. Cells of fields that run on from the row above stay empty; a colon joins a field to
// the row above or below.
void DrawRow(ChipDefBase& model, const std::vector<const FeatureRec*>& fields, int top, int low,
             int widthBits, std::string rows[3]) {
  const FeatureRec* first = FieldAt(fields, top);
  const char lead = first != nullptr && top + 1 < widthBits && Holds(*first, top + 1) ? ':' : '|';
  rows[0] = rows[1] = std::string(1, lead);
  rows[2] = "+";
  for (int bit = top; bit >= low;) {
    const FeatureRec* f = FieldAt(fields, bit);
    if (f == nullptr) {
      rows[0] += "::::::::|";
      rows[1] += "::::::::|";
      rows[2] += BitNumberCell(bit--);
      continue;
    }
    int end = bit;
    while (end - 1 >= low && Holds(*f, end - 1)) end--;
    const size_t width = static_cast<size_t>(bit - end + 1) * kBitColumns - 1;
    std::string name1, name2;
    const bool runsOn = bit == top && top + 1 < widthBits && Holds(*f, top + 1);
    if (!runsOn) {
      const bool reserved = f->Reserved && model.IsForProduct(f->Reserved);
      SplitKey(reserved ? "RESERVED" : f->KeyName, reserved ? kNoAbbrev : f->AbbrevLen, width,
               &name1, &name2);
    }
    const char close = end == low && low > 0 && Holds(*f, low - 1) ? ':' : '|';
    rows[0] += Cell(name1, width) + close;
    rows[1] += Cell(name2, width) + close;
    for (; bit >= end; bit--) rows[2] += BitNumberCell(bit);
  }
}

}  // namespace

void ChipDefBase::RegisterPicture(uint32_t index, std::string* out, bool byPosition,
                                  std::string_view prefix, std::string_view lineEnd,
                                  uint32_t columns, bool brief) {
  const RegisterRec* reg = nullptr;
  uint32_t resolved = 0;
  const int indexDigits = static_cast<int>(m_IndexWidth);
  char text[96];
  if (!FindRegister(index, byPosition, &reg, &resolved)) {
    std::snprintf(text, sizeof text, "REG[%0*Xh] does not exist for this chip.", indexDigits,
                  index);
    out->append(text);
    return;
  }
  const RegisterRec& r = *reg;
  const bool reads = r.Readable();
  const uint32_t current = reads ? ReadRegister(resolved, false) : 0;
  const std::vector<const FeatureRec*> fields = RegisterFields(resolved, false);
  out->append(prefix);
  if (brief) {
    out->append(RegisterLabel(resolved, false,
                              LABEL_NAME | LABEL_LOCATION | LABEL_ATTRIBUTES | LABEL_SHORT));
    for (const FeatureRec* f : fields) {
      const char* key = f->KeyName.c_str();
      std::snprintf(text, sizeof text, "%*s ", 10, FeatureLabel(key, LABEL_BITS | LABEL_SHORT));
      out->append(lineEnd).append(prefix).append(text);
      out->append(FeatureLabel(key, LABEL_NAME | LABEL_ATTRIBUTES | LABEL_SHORT));
      if (!f->WriteOnly && reads) out->append(" = ").append(GetValueText(key, true));
    }
    return;
  }
  out->append(RegisterLabel(resolved, false, LABEL_NAME | LABEL_LOCATION | LABEL_ATTRIBUTES));
  out->append(lineEnd).append(prefix);
  const int digits = static_cast<int>(r.BitWidth / 4);
  if (r.WriteOnly) {
    out->append("Current=N/A, Default=N/A.");
  } else {
    char value[24] = "N/A";
    if (reads) std::snprintf(value, sizeof value, "%0*Xh", digits, current);
    std::snprintf(text, sizeof text, "Current=%s, Default=%0*Xh.", value, digits, r.Default);
    out->append(text);
  }
  // Bits per row: as many whole bytes as the columns hold, at least one.
  const int widthBits = static_cast<int>(std::min<uint32_t>(r.BitWidth, 32));
  const int fit = static_cast<int>((columns > 0 ? columns - 1 : 0) / kBitColumns / 8 * 8);
  const int rowBits = std::min(widthBits, std::max(8, fit));
  out->append(lineEnd).append(prefix).append("+");
  for (int i = 0; i < rowBits; i++) out->append("--------+");
  for (int top = widthBits - 1; top >= 0; top -= rowBits) {
    std::string rows[3];
    DrawRow(*this, fields, top, std::max(0, top - rowBits + 1), widthBits, rows);
    for (const std::string& row : rows) out->append(lineEnd).append(prefix).append(row);
  }
  for (const FeatureRec* f : RegisterFields(resolved, true)) {
    std::string description;
    FeatureDescription(f->KeyName.c_str(), &description, prefix, lineEnd, true, columns);
    out->append(lineEnd).append(lineEnd).append(description);
    std::string span, suffix;
    if (SplitPartName(f->KeyName.c_str(), &span, &suffix) && suffix == "LSB" &&
        FeatureExists(span.c_str())) {
      FeatureDescription(span.c_str(), &description, prefix, lineEnd, true, columns);
      out->append(lineEnd).append(lineEnd).append(description);
    }
  }
}

namespace {

// The possible values of a list or bool feature, one line per entry visible for the product.
void AddPossibleValues(ChipDefBase& model, const FeatureRec& f, DescriptionLines* lines) {
  const char* key = f.KeyName.c_str();
  char range[48];
  uint32_t entry = 0;
  for (uint32_t n = 0; model.GetNthValue(key, n, &entry); n++) {
    const FValueRec& v = f.Values[entry];
    if (v.ToIndex > v.Index) {
      std::snprintf(range, sizeof range, "  %Xh-%Xh", v.Index, v.ToIndex);
    } else {
      std::snprintf(range, sizeof range, "  %Xh", v.Index);
    }
    const std::string reserved = v.Reserved && model.IsForProduct(v.Reserved) ? " [RESERVED]" : "";
    if (!v.ReadValue && !v.WriteValue) {
      lines->Add(std::string(range) + " = " + v.Value.value_or("") + reserved);
      continue;
    }
    if (v.ReadValue || v.Value) {
      const std::string& shown = v.ReadValue ? *v.ReadValue : *v.Value;
      lines->Add(std::string(range) + " [ON READ]  = " + shown + reserved);
    }
    if (v.WriteValue || v.Value) {
      const std::string& shown = v.WriteValue ? *v.WriteValue : *v.Value;
      lines->Add(std::string(range) + " [ON WRITE] = " + shown + reserved);
    }
  }
}

}  // namespace

void ChipDefBase::FeatureDescription(const char* name, std::string* out, std::string_view prefix,
                                     std::string_view lineEnd, bool overlapColumn,
                                     uint32_t columns) {
  const FeatureRec& f = Feature(name);
  const std::string key = f.KeyName;
  const char* k = key.c_str();
  out->clear();
  DescriptionLines lines(out, prefix, lineEnd, overlapColumn,
                         FeatureLabel(k, LABEL_BITS | LABEL_SHORT), f.Overlap, columns);
  lines.Add(FeatureLabel(k, LABEL_NAME | LABEL_ATTRIBUTES));
  lines.AddParagraph(SpanPartText(k));
  const bool hasRegister = f.Span || f.Reg != kAllOnes;
  // Reading a data port would move the chip on: its fields are described without a value.
  const bool readable = FieldReadable(f);
  const std::string location = FeatureLabel(k, LABEL_LOCATION | LABEL_SHORT);
  const std::string head = "  " + key + " = ";
  switch (f.Type) {
    case FT_NUMB:
    case FT_ADDR:
    case FT_FREQ: {
      // The formula from the field (or the span's parts) to the value, once with the
      // locations and once with the raw field values.
      auto formula = [&](bool raw) {
        std::string body;
        if (f.Span) {
          int shift = 0;
          for (const char* suffix : {"lsb", "isb", "msb"}) {
            const std::string part = key + suffix;
            if (!FeatureExists(part.c_str())) continue;
            if (!body.empty()) body += " + ";
            body += raw ? Hex(GetFieldValue(part.c_str()))
                        : std::string(FeatureLabel(part.c_str(), LABEL_LOCATION | LABEL_SHORT));
            if (shift > 0) body += "<<" + std::to_string(shift);
            int low = 0, high = 0;
            GetMaskRange(Feature(part.c_str()).Mask, &low, &high);
            if (low >= 0) shift += high - low + 1;
          }
          if (f.Op1) body = "(" + body + ")";
        } else {
          body = raw ? Hex(GetFieldValue(k)) : location;
        }
        if (f.Op1) body += " " + OperatorText(*f.Op1);
        if (f.Op2) body = "(" + body + ") " + OperatorText(*f.Op2);
        return head + body;
      };
      lines.Add(formula(false));
      if ((f.Span || f.Op1 || f.Op2) && hasRegister && readable) lines.Add(formula(true));
      if (!readable) break;
      if (hasRegister) {
        lines.Add(head + Hex(GetValue(k)) + " (" + GetValueText(k, true) + ")");
      } else {
        lines.Add(head + GetValueText(k, true));
      }
      break;
    }
    case FT_TEXT:
      lines.Add(head + location);
      if (readable) lines.Add(head + "\"" + GetValueText(k, true) + "\"");
      break;
    case FT_LIST:
    case FT_BOOL:
      lines.Add(head + location);
      if (readable) lines.Add(head + Hex(GetFieldValue(k)) + " (" + GetValueText(k, true) + ")");
      lines.Add("Possible Values:");
      if (!f.Values.empty()) {
        AddPossibleValues(*this, f, &lines);
      } else if (readable) {
        lines.Add(std::string("  0h = ") + GetValueText(k, true));
      }
      break;
    case FT_SEQU:
      if (readable) lines.Add(head + GetValueText(k, true));
      break;
    default:
      break;
  }
}
