#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "test_support.h"
#include "vornreg/snapshot.h"

namespace {

constexpr const char* kHeader = "' VORN register snapshot of the 77Q41\n";
constexpr const char* kEnd = "' End of the snapshot\n";

// A file of the header, the lines and the end line.
std::string File(const std::string& lines) {
  return kHeader + lines + kEnd;
}

std::string ParseError(const std::string& text) {
  Snapshot snapshot;
  std::string error;
  EXPECT_FALSE(ParseSnapshot(text, &snapshot, &error)) << text;
  return error;
}

TEST(SnapshotFile, RefusesWhatIsNoSnapshotNamingTheLineAndTheReason) {
  struct Row {
    std::string text;
    const char* error;
  };
  const Row rows[] = {
      {"", "empty: not a VORN register snapshot"},
      {"X 0042 0027\n" + std::string(kEnd),
       "line 1: not a VORN register snapshot (its first line must begin \"' VORN register "
       "snapshot of the\")"},
      {"' VORN register snapshot of the 77K50\n" + std::string(kEnd),
       "line 1: a snapshot of the 77K50, not of the 77Q41"},
      {File("SET hdp 640t\n"), "line 2: 'SET' is no line of a snapshot"},
      {File("X 0042\n"), "line 2: x takes 2 words, not 1"},
      {File("X 0042 0027 ; X 0044 0\n"), "line 2: x takes 2 words, not 6"},
      {File("X 00zz 0027\n"), "line 2: '00zz' is no index"},
      {File("X 0042 123456789\n"), "line 2: '123456789' is no value"},
      {File("X 0999 0000\n"), "line 2: REG[0999h] is no register of the 77Q41"},
      {File("X FFFC 03E8\n"), "line 2: REG[FFFCh] is no register of the 77Q41"},
      {File("X 018C 0000\n"),
       "line 2: REG[018Ch] is not part of a snapshot (data port: reading it moves the chip on)"},
      {File("X 0182 0000\n"),
       "line 2: REG[0182h] is not part of a snapshot (memory access address: writing it starts "
       "a transfer)"},
      {File("X 0A00 0000\n"),
       "line 2: REG[0A00h] is not part of a snapshot (read-only: it reports status, which "
       "cannot be restored)"},
      {File("X 0042 10000\n"), "line 2: 10000h does not fit the 16-bit register REG[0042h]"},
      {File("X8 0042 27\n"), "line 2: X8 writes 8 bits; REG[0042h] is 16 bits wide"},
      {File("X 0042 0027\n\nx 42 28\n"),
       "line 4: REG[0042h] is set a second time (first in line 2)"},
      {File("L1 100 00 00 00\n"), "line 2: '100' is no LUT index (00 to FF)"},
      {File("L2 0C FF 1FF FF\n"), "line 2: '1FF' is no LUT component (00 to FF)"},
      {File("L1 0C FF FF\n"), "line 2: l1 takes 4 words, not 3"},
      {File("L1 0C 00 00 00\nL1 0c 01 01 01\n"), "line 3: L1[0C] is set a second time"},
      {File("DELAY soon\n"), "line 2: 'soon' is no delay"},
      {std::string(kHeader) + "X 0042 0027\n",
       "ends before its last line (\"' End of the snapshot\"): it is cut short"},
      {File("") + "X 0042 0027\n", "line 3: text after the end of the snapshot"},
      {File(std::string("X 0042 0027\n' a \0 byte\n", 24)),
       "line 3: a NUL byte, which no script holds"},
      {File(std::string(204800, '\n')),
       "larger than 204799 bytes, more than VORN runs as a script"},
  };
  for (const Row& row : rows) EXPECT_EQ(ParseError(row.text), row.error) << row.text;
}

TEST(SnapshotFile, ReadsBackWhatItWrites) {
  Snapshot saved;
  saved.chip = "77Q41";
  saved.taken = "2025-03-04 05:06:07";
  saved.board = "sim:/tmp/board.img";
  saved.recordCrc = "B1E4h";
  for (const PlanRow& row : SnapshotPlan()) {
    if (row.skip == nullptr) saved.registers[row.index] = row.index * 3 & SetupBits(row.index);
  }
  saved.registers[0x0042] = 0x0027;
  saved.luts[0][0x0C] = 0x123456;
  saved.luts[1][0xFF] = 0xABCDEF;
  const std::string text = SnapshotText(saved);
  EXPECT_NE(text.find("X 0042 0027   ' hdp = 80 pixels\n"), std::string::npos);
  EXPECT_NE(text.find("\nDELAY 1000    ' PLL Register Programming Delay (in us)\n"),
            std::string::npos);
  EXPECT_NE(text.find("\nL2 FF AB CD EF\n"), std::string::npos);
  Snapshot read;
  std::string error;
  ASSERT_TRUE(ParseSnapshot(text, &read, &error)) << error;
  EXPECT_EQ(read.chip, saved.chip);
  EXPECT_EQ(read.taken, saved.taken);
  EXPECT_EQ(read.board, saved.board);
  EXPECT_EQ(read.recordCrc, saved.recordCrc);
  EXPECT_EQ(read.registers, saved.registers);
  EXPECT_EQ(read.luts[0], saved.luts[0]);
  EXPECT_EQ(read.luts[1], saved.luts[1]);
}

TEST(SnapshotFile, ErrorsNameTheFile) {
  TempDir dir;
  std::ofstream(dir / "bad.txt") << "' VORN register snapshot of the 77Q41\nX 0042\n";
  Snapshot snapshot;
  std::string error;
  EXPECT_FALSE(LoadSnapshot(dir / "bad.txt", &snapshot, &error));
  EXPECT_EQ(error, dir / "bad.txt, line 2: x takes 2 words, not 1");
  EXPECT_FALSE(LoadSnapshot(dir / "none.txt", &snapshot, &error));
  EXPECT_EQ(error, dir / "none.txt: No such file or directory");
  EXPECT_FALSE(LoadSnapshot(dir.Path(), &snapshot, &error));
  EXPECT_EQ(error, dir.Path() + ": Is a directory");
  EXPECT_FALSE(StoreSnapshot(dir / "none/snap.txt", snapshot, &error));
  EXPECT_EQ(error, dir / "none/snap.txt: No such file or directory");
}

}  // namespace
