#include "sim/window.h"

#include "platform/timing.h"

WindowFaults WindowFault;

namespace {

uint32_t SelectedRegister(const BoardImage* board) {
  return board->window.index & 0xFFFE;
}

// A write through the memory port, or a read address that starts the prefetch, keeps the
// memory engine busy. The busy time starts when the status port first sees it, so that a write
// costs no clock reading.
void NoteMemoryWork(BoardImage* board, uint32_t value) {
  uint32_t selected = SelectedRegister(board);
  if (selected == kRegMemPort || (selected == kRegMemAddressLow && (value & 1))) {
    board->window.writePending = 1;
  }
}

uint16_t Status(BoardImage* board) {
  WindowPorts& window = board->window;
  uint64_t now = MonotonicNanoseconds();
  if (window.writePending) {
    window.busyUntil = now + WindowFault.busyNs;
    window.writePending = 0;
  }
  bool writing = now < window.busyUntil;
  uint16_t status = 0;
  if (writing || WindowFault.busyForever || ChipBusy(&board->chip)) status |= kStatusBusy;
  if (writing || WindowFault.portFullForever) status |= kStatusPortFull;
  return status;
}

uint32_t DataRead(BoardImage* board, int width) {
  ChipState* chip = &board->chip;
  uint32_t low = ChipRead(chip, SelectedRegister(board));
  if (width < 4) return width == 1 ? low & 0xFF : low;
  return low | static_cast<uint32_t>(ChipRead(chip, SelectedRegister(board))) << 16;
}

void DataWrite(BoardImage* board, uint32_t value, int width) {
  ChipState* chip = &board->chip;
  ChipWrite(chip, SelectedRegister(board), static_cast<uint16_t>(value),
            width == 1 ? 0x00FF : 0xFFFF);
  if (width == 4)
    ChipWrite(chip, SelectedRegister(board), static_cast<uint16_t>(value >> 16), 0xFFFF);
  NoteMemoryWork(board, value);
}

}  // namespace

uint32_t WindowRead(BoardImage* board, uint32_t offset, int width) {
  switch (offset) {
    case kWindowIndexPort:
      return board->window.index;
    case kWindowStatusPort:
      return Status(board);
    case kWindowDataPort:
      return DataRead(board, width);
    case kWindowSparePort:
      return board->window.spare;
    default:
      board->bridge.badAccesses++;
      return 0;
  }
}

void WindowWrite(BoardImage* board, uint32_t offset, uint32_t value, int width) {
  switch (offset) {
    case kWindowIndexPort:
      board->window.index = static_cast<uint16_t>(value);
      return;
    case kWindowDataPort:
      DataWrite(board, value, width);
      return;
    case kWindowSparePort:
      board->window.spare = static_cast<uint16_t>(value);
      return;
    default:
      board->bridge.badAccesses++;
      return;
  }
}
