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

struct PipeOps {
  const char* name;
  // Opens the bridge named by target (backend-specific; may be empty for the default) and makes
  // the bridge lock the one every process reaching that bridge shares. False when there is no
  // such bridge, with the real cause in *why; quiet, the caller reports.
  bool (*open)(const char* target, std::string* why);
  // Reads the pipe layout; false when the bridge does not offer the pipes.
  bool (*pipeInfo)();
  // Sends len bytes as one transfer. Returns len, or a negative error code.
  int (*send)(int pipe, const uint8_t* data, size_t len);
  // Receives one transfer of at most len bytes, waiting at most timeoutMs. Returns the bytes
  // received, or a negative error code (no transfer within the time is an error).
  int (*receive)(int pipe, uint8_t* buffer, size_t len, uint32_t timeoutMs);
  void (*close)();
  // The name of an error code that send or receive returned.
  const char* (*errorName)(int code);
};
