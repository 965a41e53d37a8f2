// BMP and PPM decoding, PPM encoding.
#include <cstdio>
#include <cstring>
#include <new>

#include "display/picture_codec.h"

namespace {

DecodeStatus Fault(PictureFault fault, std::string reason) {
  return {fault, std::move(reason)};
}

std::string Format(const char* format, uint64_t a, uint64_t b = 0) {
  char text[160];
  std::snprintf(text, sizeof text, format, static_cast<unsigned long long>(a),
                static_cast<unsigned long long>(b));
  return text;
}

uint32_t Le16(const uint8_t* p) {
  return p[0] | uint32_t{p[1]} << 8;
}
uint32_t Le32(const uint8_t* p) {
  return p[0] | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

DecodeStatus Allocate(Picture* out, uint32_t width, uint32_t height) {
  out->width = width;
  out->height = height;
  if (!TryResize(&out->rgb, uint64_t{width} * height * 3)) {
    return Fault(PictureFault::kMemory, "needs more memory than there is");
  }
  return {};
}

// ---- BMP ----

constexpr size_t kFileHeader = 14;
constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiBitfields = 3;

bool IsKnownInfoSize(uint32_t size) {
  return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

// 32-bit bit fields must be the plain B, G, R bytes; the masks follow a 40-byte header or lie
// inside a longer one.
bool PlainMasks(std::span<const uint8_t> file, uint32_t infoSize) {
  size_t at = kFileHeader + 40;
  if (infoSize < 52 && file.size() < at + 12) return false;
  return Le32(&file[at]) == 0x00FF0000 && Le32(&file[at + 4]) == 0x0000FF00 &&
         Le32(&file[at + 8]) == 0x000000FF;
}

}  // namespace

bool TryResize(std::vector<uint8_t>* buffer, uint64_t size) {
  if (size > buffer->max_size()) return false;
  try {
    buffer->resize(static_cast<size_t>(size));
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

std::string CheckPictureSize(uint64_t width, uint64_t height) {
  if (width * height * 3 <= kMaxPictureBytes) return {};
  return Format("is %llu x %llu pixels, more than 256 MiB", width, height);
}

DecodeStatus DecodeBmp(std::span<const uint8_t> file, bool headerOnly, Picture* out) {
  if (file.size() < 2 || file[0] != 'B' || file[1] != 'M') {
    return Fault(PictureFault::kHeader, "has no BM signature");
  }
  if (file.size() < kFileHeader + 40) return Fault(PictureFault::kHeader, "ends inside its header");
  uint32_t infoSize = Le32(&file[14]);
  if (!IsKnownInfoSize(infoSize)) {
    return Fault(PictureFault::kHeader,
                 Format("has an information header of %llu bytes (40 to 124 are read)", infoSize));
  }
  if (file.size() < kFileHeader + infoSize) {
    return Fault(PictureFault::kHeader, "ends inside its header");
  }
  int32_t width = static_cast<int32_t>(Le32(&file[18]));
  int32_t height = static_cast<int32_t>(Le32(&file[22]));
  uint32_t planes = Le16(&file[26]);
  uint32_t bits = Le16(&file[28]);
  uint32_t compression = Le32(&file[30]);
  if (planes != 1) return Fault(PictureFault::kHeader, Format("has %llu planes", planes));
  if (bits != 24 && bits != 32) {
    return Fault(PictureFault::kHeader,
                 Format("has %llu bits per pixel (24 and 32 are read)", bits));
  }
  bool plain = compression == kBiRgb ||
               (compression == kBiBitfields && bits == 32 && PlainMasks(file, infoSize));
  if (!plain) {
    return Fault(PictureFault::kHeader, Format("is compressed (compression %llu)", compression));
  }
  if (width <= 0 || height == 0 || height == INT32_MIN) {
    char text[64];
    std::snprintf(text, sizeof text, "is %d x %d pixels", width, height);
    return Fault(PictureFault::kHeader, text);
  }
  bool topDown = height < 0;
  uint32_t w = static_cast<uint32_t>(width);
  uint32_t h = static_cast<uint32_t>(topDown ? -int64_t{height} : height);
  if (std::string tooLarge = CheckPictureSize(w, h); !tooLarge.empty()) {
    return Fault(PictureFault::kHeader, tooLarge);
  }
  out->width = w;
  out->height = h;
  if (headerOnly) return {};
  uint64_t offset = Le32(&file[10]);
  uint32_t pixelBytes = bits / 8;
  uint64_t rowSize = (uint64_t{w} * pixelBytes + 3) & ~uint64_t{3};
  if (offset < kFileHeader + infoSize) {
    return Fault(PictureFault::kHeader,
                 Format("has its pixel data at %llu, inside its header", offset));
  }
  if (offset + rowSize * (h - 1) + uint64_t{w} * pixelBytes > file.size()) {
    return Fault(PictureFault::kPixels, "ends inside its pixel data");
  }
  if (DecodeStatus s = Allocate(out, w, h); !s.ok()) return s;
  for (uint32_t row = 0; row < h; row++) {
    uint32_t stored = topDown ? row : h - 1 - row;
    const uint8_t* from = &file[offset + rowSize * stored];
    uint8_t* to = &out->rgb[uint64_t{row} * w * 3];
    for (uint32_t x = 0; x < w; x++, from += pixelBytes, to += 3) {
      to[0] = from[2];
      to[1] = from[1];
      to[2] = from[0];
    }
  }
  return {};
}

// ---- PPM ----

namespace {

bool IsSpace(uint8_t c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Reads the header's numbers: whitespace and "#" comments (to the line's end) before each.
class PpmReader {
 public:
  explicit PpmReader(std::span<const uint8_t> file) : file_(file) {}

  // A decimal number of at most nine digits after whitespace and comments; false when there is
  // none.
  bool Number(uint32_t* value, bool comments) {
    for (;;) {
      while (at_ < file_.size() && IsSpace(file_[at_])) at_++;
      if (!comments || at_ >= file_.size() || file_[at_] != '#') break;
      while (at_ < file_.size() && file_[at_] != '\n') at_++;
    }
    uint32_t v = 0;
    size_t digits = 0;
    while (at_ < file_.size() && file_[at_] >= '0' && file_[at_] <= '9') {
      if (++digits > 9) return false;
      v = v * 10 + (file_[at_++] - '0');
    }
    *value = v;
    return digits > 0;
  }

  // After the maximum value comes exactly one whitespace byte.
  bool SingleSpace() {
    if (at_ >= file_.size() || !IsSpace(file_[at_])) return false;
    at_++;
    return true;
  }

  void Skip(size_t n) { at_ += n; }
  size_t Left() const { return file_.size() - at_; }
  const uint8_t* Here() const { return file_.data() + at_; }

 private:
  std::span<const uint8_t> file_;
  size_t at_ = 0;
};

uint8_t Scale(uint32_t sample, uint32_t maximum) {
  if (maximum == 255) return static_cast<uint8_t>(sample);
  return static_cast<uint8_t>((uint64_t{sample} * 255 + maximum / 2) / maximum);
}

}  // namespace

DecodeStatus DecodePpm(std::span<const uint8_t> file, bool headerOnly, Picture* out) {
  if (file.size() < 2 || file[0] != 'P' || (file[1] != '3' && file[1] != '6')) {
    return Fault(PictureFault::kHeader, "has no P3 or P6 magic");
  }
  bool ascii = file[1] == '3';
  PpmReader in(file);
  in.Skip(2);
  uint32_t width = 0, height = 0, maximum = 0;
  if (!in.SingleSpace() || !in.Number(&width, true) || !in.Number(&height, true)) {
    return Fault(PictureFault::kHeader, "has no width and height");
  }
  if (width == 0 || height == 0) {
    return Fault(PictureFault::kHeader, Format("is %llu x %llu pixels", width, height));
  }
  if (std::string tooLarge = CheckPictureSize(width, height); !tooLarge.empty()) {
    return Fault(PictureFault::kHeader, tooLarge);
  }
  if (!in.Number(&maximum, true) || maximum == 0 || maximum > 65535 || !in.SingleSpace()) {
    return Fault(PictureFault::kHeader, "has no maximum value of 1 to 65535");
  }
  out->width = width;
  out->height = height;
  if (headerOnly) return {};
  uint64_t samples = uint64_t{width} * height * 3;
  uint32_t sampleBytes = maximum > 255 ? 2 : 1;
  if (!ascii && in.Left() < samples * sampleBytes) {
    return Fault(PictureFault::kPixels, "ends inside its pixel data");
  }
  if (DecodeStatus s = Allocate(out, width, height); !s.ok()) return s;
  const uint8_t* raw = in.Here();
  if (!ascii && maximum == 255) {
    std::memcpy(out->rgb.data(), raw, samples);
    return {};
  }
  for (uint64_t i = 0; i < samples; i++) {
    uint32_t sample = 0;
    if (ascii) {
      if (!in.Number(&sample, false)) {
        return Fault(PictureFault::kPixels, "ends inside its pixel data");
      }
      if (sample > maximum) {
        return Fault(PictureFault::kPixels,
                     Format("has sample %llu above its maximum %llu", sample, maximum));
      }
    } else {
      sample = sampleBytes == 2 ? uint32_t{raw[2 * i]} << 8 | raw[2 * i + 1] : raw[i];
      if (sample > maximum) sample = maximum;
    }
    out->rgb[i] = Scale(sample, maximum);
  }
  return {};
}

bool EncodePpm(const Picture& picture, std::vector<uint8_t>* file) {
  char header[48];
  int n = std::snprintf(header, sizeof header, "P6%c%u %u%c255%c", '\n', picture.width,
                        picture.height, '\n', '\n');
  if (!TryResize(file, static_cast<uint64_t>(n) + picture.rgb.size())) return false;
  std::memcpy(file->data(), header, static_cast<size_t>(n));
  std::memcpy(file->data() + n, picture.rgb.data(), picture.rgb.size());
  return true;
}
