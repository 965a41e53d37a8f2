// The simulated board's state, kept in a file mapped shared so that several processes use one
// board, with the bridge lock they share inside it. A missing or empty file becomes a board in
// the power-on state; a file that is not a board image is never overwritten.
#pragma once

#include <cstdint>
#include <string>

#include "platform/board_lock.h"
#include "sim/chip.h"
#include "transport/cscl_packet.h"

constexpr uint32_t kScratchSize = 0x10000;  // the bridge's own memory, reached by raw access

struct BridgeMemory {
  uint8_t mgeTable[kMgeCount][kMgeEntrySize];  // the configuration last sent to the bridge
  uint8_t configured;
  uint8_t reserved[7];
  uint32_t badAccesses;  // packets or accesses that reached nothing
  uint32_t reserved2;
  uint8_t scratch[kScratchSize];
};

// The mapped-bus window's own ports, and the memory write it is still busy with.
struct WindowPorts {
  uint16_t index;
  uint16_t spare;
  uint32_t writePending;  // a memory write arrived since the status port was last read
  uint64_t busyUntil;     // monotonic nanoseconds: the write in progress ends then; 0: none
};

struct BoardImage {
  char magic[8];
  uint32_t version;
  uint32_t size;
  SharedLockArea lock;  // the bridge lock of every process that uses this board
  BridgeMemory bridge;
  WindowPorts window;
  ChipState chip;
};

// The board file: vorn-board-<QDXBOARD or "default">.img in $XDG_RUNTIME_DIR, else in /tmp.
std::string DefaultBoardPath();

class BoardFile {
 public:
  BoardFile() = default;
  ~BoardFile() { Close(); }
  BoardFile(const BoardFile&) = delete;
  BoardFile& operator=(const BoardFile&) = delete;

  // Maps the board file. A missing or empty file, or a board image of another build, is set up
  // as a board in the power-on state; any other file is refused. False with the reason, naming
  // the file, when it is refused or cannot be created or mapped.
  bool Open(const std::string& path, std::string* why);
  void Close();
  BoardImage* Image() const { return image_; }

 private:
  int fd_ = -1;
  BoardImage* image_ = nullptr;
};

// Sets the whole board to its power-on state; its lock is left as it is.
void BoardPowerOn(BoardImage* image);
