// Inside the converter: an image resolved for reading and writing (Surface), the two ways its
// bytes are reached (directly, or through the access hook one unit at a time), and the readers
// and writers of each layout family. Only the format table and the converter include this.
#pragma once

#include <cstdint>

#include "display/image.h"
#include "display/pixel_format.h"

// An image with its format found, its stride settled and its rectangle placed.
struct Surface {
  const PixelFormat* format = nullptr;
  uint8_t* buffer = nullptr;
  uint32_t address = 0;
  AccessHook hook = nullptr;
  uint64_t stride = 0;
  uint32_t lineWidth = 0;    // pixels from the line's start to the rectangle's right edge
  uint32_t lines = 0;        // lines from the image's start to the rectangle's bottom edge
  uint64_t chromaPlane = 0;  // semi-planar layouts: offset of the chroma plane
  uint32_t left = 0, top = 0, right = 0, bottom = 0;  // the rectangle, right and bottom excluded
  YuvCoding coding;
};

// Host memory, byte by byte. Begin and End bracket the accesses of one pixel or group.
class DirectBytes {
 public:
  explicit DirectBytes(const Surface& s) : base_(s.buffer) {}
  void Begin() {}
  void End() {}
  uint8_t Get(uint64_t at) const { return base_[at]; }
  void Put(uint64_t at, uint8_t value) { base_[at] = value; }
  // Changes only the bits of mask.
  void Merge(uint64_t at, uint8_t value, uint8_t mask) {
    base_[at] = static_cast<uint8_t>((base_[at] & ~mask) | (value & mask));
  }

 private:
  uint8_t* base_;
};

// Memory behind an access hook. The bytes one pixel (or group) touches are gathered per access
// unit and sent when it is done: a whole unit as one write, part of one as AND then OR. A unit
// read once is not read again for the same pixel.
class HookedBytes {
 public:
  explicit HookedBytes(const Surface& s);
  void Begin() { cached_ = false; }
  void End();
  uint8_t Get(uint64_t at);
  void Put(uint64_t at, uint8_t value) { Merge(at, value, 0xFF); }
  void Merge(uint64_t at, uint8_t value, uint8_t mask);

 private:
  struct Pending {
    uint32_t address;
    uint32_t value;
    uint32_t mask;
  };
  static constexpr int kMaxPending = 16;

  uint32_t UnitAddress(uint64_t at) const;
  uint32_t ByteShift(uint64_t at) const;

  AccessHook hook_;
  uint32_t base_;
  uint32_t unitBytes_;
  uint32_t bits_;
  Pending pending_[kMaxPending];
  int pendingCount_ = 0;
  bool cached_ = false;
  uint32_t cachedAddress_ = 0;
  uint32_t cachedValue_ = 0;
};

// Runs body with the surface's byte access: direct, or through its hook.
template <class Body>
void WithBytes(const Surface& s, Body body) {
  if (s.hook != nullptr) {
    HookedBytes m(s);
    body(m);
  } else {
    DirectBytes m(s);
    body(m);
  }
}

// ---- RGB layouts of whole bytes ----

// A component within a pixel's value: its top part (bits wide at shift) and, for a component
// split by the notation ("gB-RG"), its low part.
struct Field {
  uint8_t shift = 0, bits = 0, lowShift = 0, lowBits = 0;
};

// A pixel of bytes bytes read as one value, most significant byte first; logical byte n of a
// line lies at n XOR swap.
struct RgbLayout {
  uint8_t bytes = 0;
  uint8_t swap = 0;
  Field a, r, g, b;
};

constexpr uint32_t LowMask(int bits) {
  return bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1;
}

// An n-bit field widened to 8 bits: shifted to the top, and the vacated bits filled with ones
// when the top bit is set (a 5-bit 31 gives 255, 16 gives 135, 15 gives 120).
constexpr uint8_t Widen(uint32_t value, int bits) {
  if (bits >= 8) return static_cast<uint8_t>(value >> (bits - 8));
  uint32_t wide = value << (8 - bits);
  if (wide & 0x80) wide |= LowMask(8 - bits);
  return static_cast<uint8_t>(wide);
}

template <Field F>
constexpr uint8_t Extract(uint32_t value) {
  if constexpr (F.bits == 0) {
    return 0;
  } else {
    uint32_t c = value >> F.shift & LowMask(F.bits);
    if constexpr (F.lowBits != 0) c = c << F.lowBits | (value >> F.lowShift & LowMask(F.lowBits));
    return Widen(c, F.bits + F.lowBits);
  }
}

template <Field F>
constexpr uint32_t Place(uint8_t component) {
  if constexpr (F.bits == 0) {
    return 0;
  } else {
    constexpr int n = F.bits + F.lowBits;
    uint32_t top = component >> (8 - n);
    uint32_t value = (top >> F.lowBits) << F.shift;
    if constexpr (F.lowBits != 0) value |= (top & LowMask(F.lowBits)) << F.lowShift;
    return value;
  }
}

template <RgbLayout L>
struct RgbCodec {
  static void ReadRow(const Surface& s, uint32_t x, uint32_t y, uint32_t count, Pixel* out) {
    WithBytes(s, [&](auto& m) {
      uint64_t line = uint64_t{y} * s.stride;
      for (uint32_t i = 0; i < count; i++) {
        uint64_t p = line + uint64_t{x + i} * L.bytes;
        m.Begin();
        uint32_t value = 0;
        for (int j = 0; j < L.bytes; j++) value = value << 8 | m.Get((p + j) ^ L.swap);
        m.End();
        out[i].a = Extract<L.a>(value);
        out[i].r = Extract<L.r>(value);
        out[i].g = Extract<L.g>(value);
        out[i].b = Extract<L.b>(value);
      }
    });
  }

  static void WriteRow(const Surface& s, uint32_t x, uint32_t y, uint32_t count, const Pixel* in) {
    WithBytes(s, [&](auto& m) {
      uint64_t line = uint64_t{y} * s.stride;
      for (uint32_t i = 0; i < count; i++) {
        uint32_t value =
            Place<L.a>(in[i].a) | Place<L.r>(in[i].r) | Place<L.g>(in[i].g) | Place<L.b>(in[i].b);
        uint64_t p = line + uint64_t{x + i} * L.bytes;
        m.Begin();
        for (int j = L.bytes - 1; j >= 0; j--, value >>= 8) {
          m.Put((p + j) ^ L.swap, static_cast<uint8_t>(value));
        }
        m.End();
      }
    });
  }
};

// ---- the two layouts that share bytes between pixels, and YUV ----

void ReadTwoInThreeRow(const Surface& s, uint32_t x, uint32_t y, uint32_t count, Pixel* out);
void WriteTwoInThreeRow(const Surface& s, uint32_t x, uint32_t y, uint32_t count, const Pixel* in);
void ReadFourInNineRow(const Surface& s, uint32_t x, uint32_t y, uint32_t count, Pixel* out);
void WriteFourInNineRow(const Surface& s, uint32_t x, uint32_t y, uint32_t count, const Pixel* in);
// YUV rows read Y, U, V as stored; the writer stores each pixel's luma, the chroma of the first
// pixel of each group in the rectangle, and fills the luma slots of a group cut short by the
// image's right (and, for 4:2:0, bottom) edge with its last pixel's luma.
void ReadYuvRow(const Surface& s, uint32_t x, uint32_t y, uint32_t count, Pixel* out);
void WriteYuvRow(const Surface& s, uint32_t x, uint32_t y, uint32_t count, const Pixel* in);
