#include "sim/sim_pipe.h"

#include <cerrno>
#include <cstring>

#include "platform/board_lock.h"
#include "sim/bridge.h"

namespace {

// The bridge handles one packet at a time, whoever sends it; the bridge lock stands for that.
// It lives in the board file, so every process that shares the board shares the lock, whatever
// name QDXBOARD gives it.
BoardFile Board;

void SimClose();

bool SimOpen(const char* target, std::string* why) {
  SimClose();
  std::string path = target && *target ? target : DefaultBoardPath();
  if (!Board.Open(path, why)) return false;
  BridgeLockUseArea(&Board.Image()->lock);
  BridgeLockHold hold;
  BridgeStart(Board.Image());
  return true;
}

bool SimPipeInfo() {
  return Board.Image() != nullptr;
}

int SimSend(int pipe, const uint8_t* data, size_t len) {
  if (pipe != kPacketPipe || Board.Image() == nullptr) return -EINVAL;
  BridgeLockHold hold;
  BridgeTakePacket(data, len);
  return static_cast<int>(len);
}

int SimReceive(int pipe, uint8_t* buffer, size_t len, uint32_t /*timeoutMs*/) {
  if (pipe != kReplyPipe || Board.Image() == nullptr) return -EINVAL;
  BridgeLockHold hold;
  int got = BridgeGiveReply(buffer, len);
  // Nothing will come: answer at once as a real pipe would after its time limit.
  return got < 0 ? -ETIMEDOUT : got;
}

// The firmware starts afresh: pending replies are gone, the configuration is awaited.
bool SimReset() {
  if (Board.Image() == nullptr) return false;
  BridgeLockHold hold;
  BridgeStart(Board.Image());
  return true;
}

// The lock is given up before the file that holds it is unmapped.
void SimClose() {
  if (Board.Image() == nullptr) return;
  {
    BridgeLockHold hold;
    BridgeStop();
  }
  BridgeLockUseArea(nullptr);
  Board.Close();
}

const char* SimErrorName(int code) {
  return std::strerror(-code);
}

}  // namespace

BoardImage* SimBoard() {
  return Board.Image();
}

const PipeOps SimPipes = {
    .name = "sim",
    .open = SimOpen,
    .pipeInfo = SimPipeInfo,
    .send = SimSend,
    .receive = SimReceive,
    .close = SimClose,
    .errorName = SimErrorName,
    .claim = nullptr,
    .release = nullptr,
    .reset = SimReset,
};
