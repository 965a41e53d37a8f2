#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "vornreg/snapshot.h"

namespace {

using Lines = std::vector<std::string>;

Snapshot Base() {
  Snapshot s;
  s.chip = "77Q41";
  s.registers = {{0x0014, 0x04D1}, {0x0042, 0x0027}, {0x0202, 0x0000}};
  s.luts[0] = {{0x0C, 0x0C0C0C}};
  return s;
}

TEST(SnapshotDecode, DiffNamesEveryChangedFieldThenStrayBitsThenTables) {
  struct Row {
    const char* what;
    std::function<void(Snapshot*)> change;
    bool registersOnly;
    Lines lines;
  };
  const Row rows[] = {
      {"nothing", [](Snapshot*) {}, false, {}},
      {"a field",
       [](Snapshot* s) { s->registers[0x0042] = 0x013F; },
       false,
       {"hdp (REG[0042h-b8:0]): 80 pixels -> 640 pixels"}},
      {"bits no feature covers",
       [](Snapshot* s) { s->registers[0x0014] |= 0x0006; },
       false,
       {"REG[0014h] bits 2:1 (no feature): 0000h -> 0006h"}},
      {"status and action bits", [](Snapshot* s) { s->registers[0x0014] ^= 0x00C0; }, false, {}},
      {"two fields of one register",
       [](Snapshot* s) { s->registers[0x0202] = 0x0401; },
       false,
       {"port (REG[0202h-b10]): False -> True", "main (REG[0202h-b0]): False -> True"}},
      {"raw registers",
       [](Snapshot* s) {
         s->registers[0x0042] = 0x013F;
         s->registers[0x0014] |= 0x0002;
       },
       true,
       {"REG[0014h]: 04D1h -> 04D3h", "REG[0042h]: 0027h -> 013Fh"}},
      {"one side only",
       [](Snapshot* s) {
         s->registers.erase(0x0202);
         s->luts[1][0x01] = 0x010203;
       },
       false,
       {"REG[0202h]: 0000h -> (not saved)", "L2[01]: (not saved) -> 010203"}},
      {"in order",
       [](Snapshot* s) {
         s->luts[0][0x0C] = 0xFFFFFF;
         s->registers[0x0014] |= 0x0020;
         s->registers[0x0042] = 0x0028;
       },
       false,
       {"hdp (REG[0042h-b8:0]): 80 pixels -> 82 pixels",
        "REG[0014h] bits 5 (no feature): 0000h -> 0020h", "L1[0C]: 0C0C0C -> FFFFFF"}},
  };
  for (const Row& row : rows) {
    Snapshot changed = Base();
    row.change(&changed);
    EXPECT_EQ(DiffLines(Base(), changed, row.registersOnly), row.lines) << row.what;
  }
}

TEST(SnapshotDecode, ShowDecodesWithoutComparing) {
  Snapshot s = Base();
  s.taken = "2025-03-04 05:06:07";
  s.board = "sim";
  s.recordCrc = "B1E4h";
  s.registers = {{0x0014, 0x04D7}, {0x0042, 0x0027}};
  s.luts[0].clear();
  for (uint32_t i = 0; i < 10; i++) s.luts[0][i] = i * 0x010101;
  const Lines expected = {
      "Snapshot of the 77Q41 taken 2025-03-04 05:06:07 from the board sim, configuration record "
      "CRC B1E4h",
      "rsvd14b15to8 (REG[0014h-b15:8]): 4",
      "rsvd14b4to3 (REG[0014h-b4:3]): 2",
      "powersave (REG[0014h-b0]): True",
      "hdp (REG[0042h-b8:0]): 80 pixels",
      "REG[0014h] bits 2:1 (no feature): 0006h",
      "L1[00]  000000  010101  020202  030303  040404  050505  060606  070707",
      "L1[08]  080808  090909",
  };
  EXPECT_EQ(ShowLines(s), expected);
}

}  // namespace
