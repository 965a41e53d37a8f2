// Feeds arbitrary bytes to the PPM reader as a picture file: header only and whole. A picture it
// accepts holds exactly width x height x 3 bytes within the size limit.
#include <cstddef>
#include <cstdint>
#include <span>

#include "display/picture_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::span<const uint8_t> file(data, size);
  for (bool headerOnly : {true, false}) {
    Picture picture;
    DecodeStatus status = DecodePpm(file, headerOnly, &picture);
    if (!status.ok()) continue;
    uint64_t bytes = uint64_t{picture.width} * picture.height * 3;
    if (picture.width == 0 || picture.height == 0 || bytes > kMaxPictureBytes) __builtin_trap();
    if (!headerOnly && picture.rgb.size() != bytes) __builtin_trap();
  }
  return 0;
}
