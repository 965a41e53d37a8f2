#include "sim/sim_bus.h"

#include "platform/board_lock.h"
#include "sim/window.h"

namespace {

BoardFile Board;

void SimBusUnmap();

// The board's lock lives in its file, so that processes on the bridge and on the mapped bus of
// one board share it.
MapResult SimBusMap(const char* target, uint32_t, uint32_t, uintptr_t* linear, uint32_t* size,
                    std::string* why) {
  SimBusUnmap();
  std::string path = *target != '\0' ? target : DefaultBoardPath();
  // No board to map, as a driver that finds no board: the board file stands for the board.
  if (!Board.Open(path, why)) return MapResult::kRefused;
  BridgeLockUseArea(&Board.Image()->lock);
  *linear = reinterpret_cast<uintptr_t>(&Board.Image()->window);
  *size = kSimBusWindowSize;
  return MapResult::kMapped;
}

uint32_t SimBusVersion() {
  return 0x00010000;
}

uint32_t Read8(uint32_t offset) {
  return WindowRead(Board.Image(), offset, 1);
}
uint32_t Read16(uint32_t offset) {
  return WindowRead(Board.Image(), offset, 2);
}
uint32_t Read32(uint32_t offset) {
  return WindowRead(Board.Image(), offset, 4);
}
void Write8(uint32_t offset, uint32_t value) {
  WindowWrite(Board.Image(), offset, value, 1);
}
void Write16(uint32_t offset, uint32_t value) {
  WindowWrite(Board.Image(), offset, value, 2);
}
void Write32(uint32_t offset, uint32_t value) {
  WindowWrite(Board.Image(), offset, value, 4);
}

// The lock is given up before the file that holds it is unmapped.
void SimBusUnmap() {
  if (Board.Image() == nullptr) return;
  BridgeLockUseArea(nullptr);
  Board.Close();
}

}  // namespace

BoardImage* SimBusBoard() {
  return Board.Image();
}

const BusWindowOps SimBusWindow = {
    .name = "simbus",
    .map = SimBusMap,
    .version = SimBusVersion,
    .read8 = Read8,
    .read16 = Read16,
    .read32 = Read32,
    .write8 = Write8,
    .write16 = Write16,
    .write32 = Write32,
    .unmap = SimBusUnmap,
};
