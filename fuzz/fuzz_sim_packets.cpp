// Feeds arbitrary packets to the simulated bridge and its chip, and drains every reply: no
// packet may reach outside the board's state.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "sim/sim_pipe.h"

namespace {

// Opened once; a fresh power-on state for each input keeps runs independent.
BoardImage* Board() {
  static BoardImage* board = [] {
    std::string path = "/tmp/vorn-fuzz-board-" + std::to_string(getpid()) + ".img";
    std::string why;
    BoardImage* image = SimPipes.open(path.c_str(), &why) ? SimBoard() : nullptr;
    unlink(path.c_str());
    return image;
  }();
  return board;
}

}  // namespace

// The input is a series of packets, each a two-byte length (least significant first) followed
// by that many bytes.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  BoardImage* board = Board();
  if (board == nullptr) return 0;
  BoardPowerOn(board);
  static std::vector<uint8_t> reply(1 << 17);
  size_t pos = 0;
  while (size - pos >= 2) {
    size_t len = data[pos] | data[pos + 1] << 8;
    pos += 2;
    if (len > size - pos) len = size - pos;
    SimPipes.send(kPacketPipe, data + pos, len);
    pos += len;
    while (SimPipes.receive(kReplyPipe, reply.data(), reply.size(), 0) > 0) {
    }
  }
  return 0;
}
