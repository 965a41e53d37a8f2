// Snapshots decoded field by field through the chip model, which reads the snapshot's registers
// in place of the chip's while it decodes them, and compared with each other.
#include <cstdio>
#include <optional>
#include <set>

#include "base/helper.h"
#include "chipdef/chipdef.h"
#include "vornreg/snapshot.h"

namespace {

// The model reads the file's registers for the scope.
class RegisterView {
 public:
  explicit RegisterView(const RegisterFile& file) { ChipModel().ViewRegisterFile(&file); }
  ~RegisterView() { ChipModel().ViewRegisterFile(nullptr); }
  RegisterView(const RegisterView&) = delete;
  RegisterView& operator=(const RegisterView&) = delete;
};

std::string RegisterName(uint32_t index) {
  return FormatText("REG[%0*Xh]", static_cast<int>(ChipModel().GetIndexWidth()), index);
}

// A register value in its width's digits, or the note that the side has none.
std::string ValueText(uint32_t index, std::optional<uint32_t> value) {
  if (!value) return "(not saved)";
  return FormatText("%0*Xh", static_cast<int>(ChipModel().GetRegWidthDigits(index)), *value);
}

std::string RgbText(std::optional<uint32_t> rgb) {
  return rgb ? FormatText("%06X", *rgb) : "(not saved)";
}

std::optional<uint32_t> Find(const RegisterFile& file, uint32_t index) {
  const auto at = file.find(index);
  if (at == file.end()) return std::nullopt;
  return at->second;
}

// Every index that either file holds, in order.
std::set<uint32_t> Indexes(const RegisterFile& a, const RegisterFile& b) {
  std::set<uint32_t> all;
  for (const auto& entry : a) all.insert(entry.first);
  for (const auto& entry : b) all.insert(entry.first);
  return all;
}

struct DiffOutput {
  std::vector<std::string> fields, stray, tables;
};

// The changed fields of a register both snapshots hold, and its changed bits that no field names.
void DiffFields(const Snapshot& a, const Snapshot& b, uint32_t index, uint32_t changed,
                DiffOutput* out) {
  const std::vector<FieldText> before = DecodeFields(a.registers, index);
  const std::vector<FieldText> after = DecodeFields(b.registers, index);
  uint32_t named = 0;
  for (size_t i = 0; i < before.size() && i < after.size(); i++) {
    named |= before[i].mask;
    if ((before[i].mask & changed) == 0) continue;
    out->fields.push_back(before[i].key + " (" + before[i].location + "): " + before[i].value +
                          " -> " + after[i].value);
  }
  const uint32_t stray = changed & ~named;
  if (stray == 0) return;
  out->stray.push_back(RegisterName(index) + " bits " + BitRunsText(stray) +
                       " (no feature): " + ValueText(index, a.registers.at(index) & stray) +
                       " -> " + ValueText(index, b.registers.at(index) & stray));
}

void DiffTables(const Snapshot& a, const Snapshot& b, DiffOutput* out) {
  for (int lut = 0; lut < kSnapshotLuts; lut++) {
    for (uint32_t index : Indexes(a.luts[lut], b.luts[lut])) {
      const std::optional<uint32_t> before = Find(a.luts[lut], index);
      const std::optional<uint32_t> after = Find(b.luts[lut], index);
      if (before == after) continue;
      out->tables.push_back(FormatText("L%d[%02X]: ", lut + 1, index) + RgbText(before) + " -> " +
                            RgbText(after));
    }
  }
}

// The table as L1A lists it: eight entries to a line, each line led by its first index.
void ListTable(int lut, const RegisterFile& entries, std::vector<std::string>* lines) {
  uint32_t next = 0;
  for (const auto& [index, rgb] : entries) {
    if (lines->empty() || index % 8 == 0 || index != next) {
      lines->push_back(FormatText("L%d[%02X]", lut, index));
    }
    lines->back() += FormatText("  %06X", rgb);
    next = index + 1;
  }
}

}  // namespace

std::vector<FieldText> DecodeFields(const RegisterFile& file, uint32_t index) {
  ChipDef& model = ChipModel();
  RegisterView view(file);
  std::vector<FieldText> fields;
  for (const FeatureRec* f : model.RegisterFields(index, false)) {
    if (f->ReadOnly || f->WriteOnly || f->Type == FT_TEXT || f->Type == FT_SEQU) continue;
    const char* key = f->KeyName.c_str();
    FieldText field;
    field.key = f->KeyName;
    field.location = model.FeatureLabel(key, LABEL_LOCATION | LABEL_SHORT);
    field.value = model.GetValueText(key, true);
    field.mask = f->Mask;
    fields.push_back(std::move(field));
  }
  return fields;
}

std::vector<std::string> ShowLines(const Snapshot& snapshot) {
  std::vector<std::string> lines;
  lines.push_back("Snapshot of the " + snapshot.chip + " taken " + snapshot.taken +
                  " from the board " + snapshot.board + ", configuration record CRC " +
                  snapshot.recordCrc);
  std::vector<std::string> stray;
  for (const auto& [index, value] : snapshot.registers) {
    for (const FieldText& field : DecodeFields(snapshot.registers, index)) {
      lines.push_back(field.key + " (" + field.location + "): " + field.value);
    }
    const uint32_t bits = value & UncoveredBits(index);
    if (bits != 0) {
      stray.push_back(RegisterName(index) + " bits " + BitRunsText(bits) +
                      " (no feature): " + ValueText(index, bits));
    }
  }
  lines.insert(lines.end(), stray.begin(), stray.end());
  for (int lut = 0; lut < kSnapshotLuts; lut++) {
    std::vector<std::string> table;
    ListTable(lut + 1, snapshot.luts[lut], &table);
    lines.insert(lines.end(), table.begin(), table.end());
  }
  return lines;
}

std::vector<std::string> DiffLines(const Snapshot& a, const Snapshot& b, bool registersOnly) {
  DiffOutput out;
  for (uint32_t index : Indexes(a.registers, b.registers)) {
    const std::optional<uint32_t> before = Find(a.registers, index);
    const std::optional<uint32_t> after = Find(b.registers, index);
    const uint32_t changed = before && after ? (*before ^ *after) & SetupBits(index) : 0;
    if (before && after && changed == 0) continue;
    if (registersOnly || !before || !after) {
      out.fields.push_back(RegisterName(index) + ": " + ValueText(index, before) + " -> " +
                           ValueText(index, after));
    } else {
      DiffFields(a, b, index, changed, &out);
    }
  }
  DiffTables(a, b, &out);
  std::vector<std::string> lines = std::move(out.fields);
  lines.insert(lines.end(), out.stray.begin(), out.stray.end());
  lines.insert(lines.end(), out.tables.begin(), out.tables.end());
  return lines;
}
