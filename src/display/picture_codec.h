// Picture files in memory: BMP, PPM and PNG decoded to 8-bit R, G, B (rows top-down), PPM and PNG
// encoded from it. Every header field, size and length is checked before it is used, so any file
// content gives either a picture or a reason; nothing here prints or touches the disk.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// Pictures whose R, G, B buffer would exceed this are refused before anything is allocated.
constexpr uint64_t kMaxPictureBytes = 256ull << 20;

struct Picture {
  uint32_t width = 0;
  uint32_t height = 0;
  std::vector<uint8_t> rgb;  // width x height x 3 bytes
};

enum class PictureFault {
  kNone,
  kHeader,  // the header is missing, malformed or describes something not read
  kPixels,  // the pixel data are missing or malformed
  kMemory,  // the buffer could not be allocated
};

struct DecodeStatus {
  PictureFault fault = PictureFault::kNone;
  std::string reason;  // completes "'name' ...": "has no BM signature"
  bool ok() const { return fault == PictureFault::kNone; }
};

// With headerOnly, only width and height are filled (a file's first bytes are enough).
// BMP: uncompressed 24 and 32 bits per pixel (32 also as bit fields of 8-bit B, G, R),
// bottom-up and top-down. PPM: P3 and P6, comments wherever the header allows whitespace,
// maximum values 1 to 65535. PNG: any colour type and depth, alpha dropped.
DecodeStatus DecodeBmp(std::span<const uint8_t> file, bool headerOnly, Picture* out);
DecodeStatus DecodePpm(std::span<const uint8_t> file, bool headerOnly, Picture* out);
DecodeStatus DecodePng(std::span<const uint8_t> file, bool headerOnly, Picture* out);

// A P6 file: "P6\n<width> <height>\n255\n" and the samples. False when memory runs out.
bool EncodePpm(const Picture& picture, std::vector<uint8_t>* file);
// An 8-bit RGB PNG file. False when libpng or memory fails.
bool EncodePng(const Picture& picture, std::vector<uint8_t>* file);

// Resizes without throwing: false when the memory is not there.
bool TryResize(std::vector<uint8_t>* buffer, uint64_t size);

// Checks width x height against kMaxPictureBytes; the reason when it is too large.
std::string CheckPictureSize(uint64_t width, uint64_t height);
