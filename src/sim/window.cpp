#include "sim/window.h"

namespace {

uint32_t SelectedRegister(const BoardImage* board) {
  return board->window.index & 0xFFFE;
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
}

}  // namespace

uint32_t WindowRead(BoardImage* board, uint32_t offset, int width) {
  switch (offset) {
    case kWindowIndexPort:
      return board->window.index;
    case kWindowStatusPort:
      return ChipBusy(&board->chip) ? kStatusBusy : 0;
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
