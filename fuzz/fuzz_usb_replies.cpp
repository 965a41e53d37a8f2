// Feeds arbitrary reply transfers to the USB transport's read paths: the configuration
// handshake, single reads of every size and block reads of one and more chunks.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "transport/usb_transport.h"

namespace {

// The input is a series of transfers, each a length byte (times 257 for long ones when its
// top bit is set) followed by that many bytes. A length of 0 is a receive that times out, which
// ends the drains of stale replies.
struct Input {
  const uint8_t* data = nullptr;
  size_t size = 0;
  size_t pos = 0;
};
Input Replies;

int Receive(int, uint8_t* buffer, size_t len, uint32_t) {
  if (Replies.pos >= Replies.size) return -110;
  size_t want = Replies.data[Replies.pos++];
  if (want == 0) return -110;
  if (want & 0x80) want = (want & 0x7F) * 257;
  if (want > Replies.size - Replies.pos) want = Replies.size - Replies.pos;
  size_t n = want < len ? want : len;
  for (size_t i = 0; i < n; i++) buffer[i] = Replies.data[Replies.pos + i];
  Replies.pos += want;
  return static_cast<int>(n);
}

const PipeOps kFuzzPipes = {
    .name = "fuzz",
    .open = [](const char*, std::string*) { return true; },
    .pipeInfo = [] { return true; },
    .send = [](int, const uint8_t*, size_t len) { return static_cast<int>(len); },
    .receive = Receive,
    .close = [] {},
    .errorName = [](int) { return "fuzz"; },
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool quiet = std::freopen("/dev/null", "w", stdout) != nullptr;
  (void)quiet;
  Replies = Input{data, size, 0};
  const uint8_t usbInfo[6] = {};
  UsbTransportOpen(&kFuzzPipes, "", 0, 2, usbInfo);
  uint32_t value = 0;
  for (uint32_t width : {1u, 2u, 4u}) {
    UsbSingleRead(0x41, width, 2, &value);
    if (width == 1 && value > 0xFF) __builtin_trap();
    if (width == 2 && value > 0xFFFF) __builtin_trap();
  }
  static std::vector<uint8_t> buffer(2 * kMaxChunk + 3);
  for (uint32_t count : {1u, 7u, 300u, kMaxChunk + 3}) {
    if (UsbBlockRead(0x18D, count, 2, buffer.data()) > count) __builtin_trap();
  }
  UsbTransportClose();
  return 0;
}
