// Taking a snapshot of the acquired board: its saved registers and its look-up tables.
#include <cstdio>
#include <ctime>

#include "chipdef/chipdef.h"
#include "commands/lut_access.h"
#include "hal/board_route.h"
#include "platform/assert.h"
#include "platform/board_lock.h"
#include "vornreg/snapshot.h"

namespace {

std::string Now() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  char text[32] = "";
  if (localtime_r(&now, &local) != nullptr) {
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  }
  return text;
}

// The board as VORN_BOARD reached it: the transport or the mapped window and its target
// ("sim:/tmp/board.img"); a control character in a path would break the header's line, so it
// shows as "?".
std::string BoardText(const BoardRoute& route) {
  std::string text = route.pipes != nullptr    ? route.pipes->name
                     : route.window != nullptr ? route.window->name
                                               : "?";
  if (!route.target.empty()) text += ":" + route.target;
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  }
  return text;
}

uint32_t Packed(const Rgb& rgb) {
  return static_cast<uint32_t>(rgb.c[kRed]) << 16 | rgb.c[kGreen] << 8 | rgb.c[kBlue];
}

void CaptureLut(const AssertWatch& watch, int number, const RegisterFile* wanted,
                RegisterFile* out) {
  if (wanted != nullptr && wanted->empty()) return;  // the table is not asked for: no glitch
  const LutTarget target = LutTargetOf(number);
  LutAccess access(target);
  for (uint32_t i = 0; i < kLutSize && !watch.Fired(); i++) {
    if (wanted == nullptr || wanted->contains(i)) (*out)[i] = Packed(ReadLutEntry(target, i));
  }
}

}  // namespace

bool CaptureBoard(const Snapshot* wanted, Snapshot* out) {
  ChipDef& model = ChipModel();
  BridgeLockHold lock;
  // An access that fails on the way to the board ends at the assertion prompt, which would offer
  // to go on with values that were never read. A snapshot has no use for them: assertions are
  // watched instead of asked, the reading stops and the run ends in an error.
  AssertWatch watch;
  out->chip = model.GetProductTitle(TITLE_NAME);
  out->taken = Now();
  out->board = BoardText(halBoardRoute());
  char crc[8];
  std::snprintf(crc, sizeof crc, "%04Xh", model.Record().crc);
  out->recordCrc = crc;
  for (const PlanRow& row : SnapshotPlan()) {
    if (watch.Fired()) return false;
    if (row.skip != nullptr) continue;
    if (wanted != nullptr && !wanted->registers.contains(row.index)) continue;
    out->registers[row.index] = model.ReadRegister(row.index, false) & ~ActionBits(row.index);
  }
  for (int lut = 0; lut < kSnapshotLuts && !watch.Fired(); lut++) {
    CaptureLut(watch, lut + 1, wanted != nullptr ? &wanted->luts[lut] : nullptr, &out->luts[lut]);
  }
  return !watch.Fired();
}
