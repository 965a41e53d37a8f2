// The bridge's bulk pipes, as the USB transport sees them: one table of operations per way of
// reaching a bridge (the real one through libusb, the simulated one in src/sim/).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Pipe 0 carries packets to the bridge, pipe 2 brings its replies back.
constexpr int kPacketPipe = 0;
constexpr int kReplyPipe = 2;

// How long one receive waits for a transfer from the bridge.
constexpr uint32_t kReceiveTimeoutMs = 1000;

// Results of send and receive that the transport acts on, beside each backend's own negative
// error codes.
constexpr int kPipeDisconnected = -1000;  // the bridge is gone: unplugged or switched off
constexpr int kPipeCutShort = -1001;      // a send stopped part-way: the bridge is inside a packet

struct PipeOps {
  const char* name;
  // Opens the bridge named by target (backend-specific; may be empty for the default) and makes
  // the bridge lock the one every process reaching that bridge shares. False when there is no
  // such bridge or it cannot be opened, with the real cause in *why; quiet, the caller reports.
  bool (*open)(const char* target, std::string* why);
  // Finds the pipes (selecting the bridge setting that has them) and clears stalls on them;
  // false, after showing what the bridge offers, when it has none.
  bool (*pipeInfo)();
  // Sends len bytes as one transfer. Returns len, or a negative error code.
  int (*send)(int pipe, const uint8_t* data, size_t len);
  // Receives one transfer of at most len bytes, waiting at most timeoutMs. Returns the bytes
  // received, or a negative error code (no transfer within the time is an error).
  int (*receive)(int pipe, uint8_t* buffer, size_t len, uint32_t timeoutMs);
  void (*close)();
  // The name of an error code that send or receive returned.
  const char* (*errorName)(int code);
  // Optional, null when the backend needs none. claim takes the bridge for this process for
  // one hold of the bridge lock (0, kPipeDisconnected, or another negative code with the cause
  // in *why); release gives it back at the end of the hold, so that processes share the bridge.
  int (*claim)(std::string* why);
  void (*release)();
  // Optional: resets the bridge and brings its pipes back; false when it does not come back.
  bool (*reset)();
};
