// A register snapshot: the set-up of a board (its readable registers and both colour look-up
// tables) as vornreg saves it, reads it back and compares it. The file is a VORN script that
// restores the set-up when run.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "chipdef/chipdef_base.h"

constexpr int kSnapshotLuts = 2;  // LUT1 (the LCD-LUT) and LUT2 (the PIP2-LUT)

struct Snapshot {
  std::string chip;       // the product the snapshot was taken of
  std::string taken;      // when, as the header gives it
  std::string board;      // from which board
  std::string recordCrc;  // the configuration record's CRC ("B1E4h")
  RegisterFile registers;
  RegisterFile luts[kSnapshotLuts];  // entries by index as 00RRGGBBh; luts[0] is LUT1
};

// ---- which registers a snapshot holds (snapshot_plan.cpp) ----

// One register of the chip as a snapshot treats it, in index order.
struct PlanRow {
  uint32_t index = 0;
  uint32_t bits = 16;          // the register's width
  const char* skip = nullptr;  // why it is left out; nullptr when it is saved
  int lut = 0;                 // 1 or 2 for a LUT's data port: the table is saved instead
  uint32_t delayUs = 0;        // a wait after writing it, as the configuration record has one
  std::string delayName;       // what the record calls that wait
};

// Every register of the selected product, fake ones aside, in index order.
std::vector<PlanRow> SnapshotPlan();

// Why a snapshot leaves this register out; nullptr when it is saved, kNoSuchRegister when the
// chip has none at this index.
const char* SkipReason(uint32_t index);
extern const char* const kNoSuchRegister;

// The bits a snapshot compares: all but those of read-only fields (status) and write-only ones
// (actions such as a reset), which read back as nothing the set-up holds.
uint32_t SetupBits(uint32_t index);
// The bits of write-only fields: saved as 0, so that restoring never starts an action.
uint32_t ActionBits(uint32_t index);
// The bits that no field of the register names.
uint32_t UncoveredBits(uint32_t index);

// ---- the board (snapshot_board.cpp) ----

// Reads the registers and LUT entries that wanted holds (every saved register and both whole
// tables when wanted is null) from the acquired board, holding the bridge lock throughout so
// that no other process changes the board half-way. False when an access failed (its assertion
// message printed): out is then incomplete.
bool CaptureBoard(const Snapshot* wanted, Snapshot* out);

// ---- the file (snapshot_file.cpp) ----

// The script text of a snapshot.
std::string SnapshotText(const Snapshot& snapshot);

// Parses a snapshot file's text; false with "line N: reason" (or the reason alone when it is no
// one line's) in *error.
bool ParseSnapshot(std::string_view text, Snapshot* out, std::string* error);

// Reads and parses a file; false with "NAME, line N: reason" in *error.
bool LoadSnapshot(const std::string& name, Snapshot* out, std::string* error);
// Writes the snapshot under a temporary name that takes the file's name only when complete.
bool StoreSnapshot(const std::string& name, const Snapshot& snapshot, std::string* error);

// ---- decoding (snapshot_decode.cpp) ----

// A field as SET shows it.
struct FieldText {
  std::string key;       // "hdp"
  std::string location;  // "REG[0042h-b8:0]"
  std::string value;     // "320 pixels"
  uint32_t mask = 0;
};

// The set-up fields of a register (neither read-only nor write-only nor another view of the same
// bits) with their values as the file holds them, in document order.
std::vector<FieldText> DecodeFields(const RegisterFile& file, uint32_t index);

// The snapshot decoded: a line per field, then the set bits that no field names, then the tables.
std::vector<std::string> ShowLines(const Snapshot& snapshot);

// The differences from a to b: a line per changed field ("hdp (REG[0042h-b8:0]): 320 pixels ->
// 640 pixels"), then changed bits that no field names, then changed LUT entries; with
// registersOnly a line per changed register instead of the fields. Empty when they are equal.
std::vector<std::string> DiffLines(const Snapshot& a, const Snapshot& b, bool registersOnly);
