#include "sim/window.h"

#include "platform/timing.h"

WindowFaults WindowFault;

namespace {

uint32_t SelectedRegister(const BoardImage* board) {
  return board->window.index & 0xFFFE;
}

constexpr uint64_t kBusyFromNextLook = UINT64_MAX;

// A write through the memory port, or a read address that starts the prefetch, keeps the
// memory engine busy for WindowFault.busyNs.
void NoteMemoryWork(BoardImage* board, uint32_t value) {
  if (WindowFault.busyNs == 0) return;
  uint32_t selected = SelectedRegister(board);
  if (selected == kRegMemPort || (selected == kRegMemAddressLow && (value & 1))) {
    board->window.writePending = 1;
  }
}

// The first look after a write sees the bus busy and starts the clock at the next look, so that
// a burst of writes with a status read after each (variant A) costs no clock reading.
bool Writing(WindowPorts* window) {
  if (window->writePending) {
    window->writePending = 0;
    window->busyUntil = kBusyFromNextLook;
    return true;
  }
  if (window->busyUntil == 0) return false;
  uint64_t now = MonotonicNanoseconds();
  if (window->busyUntil == kBusyFromNextLook) window->busyUntil = now + WindowFault.busyNs;
  if (now < window->busyUntil) return true;
  window->busyUntil = 0;
  return false;
}

uint16_t Status(BoardImage* board) {
  bool writing = Writing(&board->window);
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
