// The simulated board's state, kept in a file mapped shared so that several processes use one
// board. A new, truncated or unrecognised file is set to the power-on state.
#pragma once

#include <cstdint>
#include <string>

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

  // Maps the board file, creating it or setting it to the power-on state when it is not a
  // whole board image. False when the file cannot be created or mapped.
  bool Open(const std::string& path);
  void Close();
  BoardImage* Image() const { return image_; }

 private:
  int fd_ = -1;
  BoardImage* image_ = nullptr;
};

// Sets the whole board to its power-on state.
void BoardPowerOn(BoardImage* image);
