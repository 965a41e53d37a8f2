#include "display/pixel_codec.h"

namespace {

uint32_t RoundUpEven(uint32_t n) {
  return n + (n & 1);
}

}  // namespace

// ---- memory behind a hook ----

HookedBytes::HookedBytes(const Surface& s)
    : hook_(s.hook),
      base_(s.address),
      unitBytes_(s.format->accessSize == 1 ? 1 : 2),
      bits_(unitBytes_ * 8) {}

uint32_t HookedBytes::UnitAddress(uint64_t at) const {
  uint32_t address = base_ + static_cast<uint32_t>(at);
  return unitBytes_ == 2 ? address & ~1u : address;
}

uint32_t HookedBytes::ByteShift(uint64_t at) const {
  return unitBytes_ == 2 ? 8 * ((base_ + static_cast<uint32_t>(at)) & 1) : 0;
}

uint8_t HookedBytes::Get(uint64_t at) {
  uint32_t address = UnitAddress(at);
  if (!cached_ || cachedAddress_ != address) {
    cachedValue_ = hook_(address, 0, bits_, AccessOp::kRead);
    cachedAddress_ = address;
    cached_ = true;
  }
  return static_cast<uint8_t>(cachedValue_ >> ByteShift(at));
}

void HookedBytes::Merge(uint64_t at, uint8_t value, uint8_t mask) {
  uint32_t address = UnitAddress(at);
  uint32_t shift = ByteShift(at);
  int i = 0;
  while (i < pendingCount_ && pending_[i].address != address) i++;
  if (i == kMaxPending) {
    End();
    i = 0;
  }
  if (i == pendingCount_) pending_[pendingCount_++] = {address, 0, 0};
  Pending& p = pending_[i];
  p.value = (p.value & ~(uint32_t{mask} << shift)) | (uint32_t{value} & mask) << shift;
  p.mask |= uint32_t{mask} << shift;
}

void HookedBytes::End() {
  uint32_t whole = LowMask(static_cast<int>(bits_));
  for (int i = 0; i < pendingCount_; i++) {
    const Pending& p = pending_[i];
    if (p.mask == whole) {
      hook_(p.address, p.value, bits_, AccessOp::kWrite);
    } else {
      hook_(p.address, ~p.mask & whole, bits_, AccessOp::kAnd);
      hook_(p.address, p.value & p.mask, bits_, AccessOp::kOr);
    }
  }
  pendingCount_ = 0;
  cached_ = false;
}

// ---- R444.GB-R: two 12-bit pixels in a little-endian group of three bytes ----

void ReadTwoInThreeRow(const Surface& s, uint32_t x, uint32_t y, uint32_t count, Pixel* out) {
  WithBytes(s, [&](auto& m) {
    uint64_t line = uint64_t{y} * s.stride;
    for (uint32_t i = 0; i < count; i++) {
      uint32_t px = x + i;
      uint64_t group = line + uint64_t{px / 2} * 3;
      m.Begin();
      uint32_t value = px & 1 ? (m.Get(group + 1) >> 4 | uint32_t{m.Get(group + 2)} << 4)
                              : (m.Get(group) | (m.Get(group + 1) & 0x0Fu) << 8);
      m.End();
      out[i] = Pixel{};
      out[i].r = Widen(value >> 8 & 0xF, 4);
      out[i].g = Widen(value >> 4 & 0xF, 4);
      out[i].b = Widen(value & 0xF, 4);
    }
  });
}

void WriteTwoInThreeRow(const Surface& s, uint32_t x, uint32_t y, uint32_t count, const Pixel* in) {
  WithBytes(s, [&](auto& m) {
    uint64_t line = uint64_t{y} * s.stride;
    for (uint32_t i = 0; i < count; i++) {
      uint32_t px = x + i;
      uint64_t group = line + uint64_t{px / 2} * 3;
      uint32_t value = uint32_t{in[i].r} >> 4 << 8 | (in[i].g & 0xF0u) | in[i].b >> 4;
      m.Begin();
      if (px & 1) {  // bits 23..12 of the group: the high nibble of byte 1 and byte 2
        m.Merge(group + 1, static_cast<uint8_t>(value << 4), 0xF0);
        m.Put(group + 2, static_cast<uint8_t>(value >> 4));
      } else {  // bits 11..0: byte 0 and the low nibble of byte 1
        m.Put(group, static_cast<uint8_t>(value));
        m.Merge(group + 1, static_cast<uint8_t>(value >> 8), 0x0F);
      }
      m.End();
    }
  });
}

// ---- R666.RG-gB-b: four pixels in nine bytes ----

namespace {

// Pixel px's two bytes, and the byte holding its low blue bits: after the pixels of its group,
// which a line's end can cut short.
struct FourInNine {
  uint64_t first;
  uint64_t lowBlue;
  uint32_t lowShift;
};

FourInNine LocateFourInNine(const Surface& s, uint32_t px, uint32_t y) {
  uint32_t groupX = px & ~3u;
  uint32_t inGroup = s.lineWidth - groupX < 4 ? s.lineWidth - groupX : 4;
  uint64_t group = uint64_t{y} * s.stride + uint64_t{px / 4} * 9;
  return {group + 2 * (px & 3), group + 2 * inGroup, 2 * (px & 3)};
}

}  // namespace

void ReadFourInNineRow(const Surface& s, uint32_t x, uint32_t y, uint32_t count, Pixel* out) {
  WithBytes(s, [&](auto& m) {
    for (uint32_t i = 0; i < count; i++) {
      FourInNine at = LocateFourInNine(s, x + i, y);
      m.Begin();
      uint32_t value = uint32_t{m.Get(at.first)} << 10 | uint32_t{m.Get(at.first + 1)} << 2 |
                       (m.Get(at.lowBlue) >> at.lowShift & 3u);
      m.End();
      out[i] = Pixel{};
      out[i].r = Widen(value >> 12 & 0x3F, 6);
      out[i].g = Widen(value >> 6 & 0x3F, 6);
      out[i].b = Widen(value & 0x3F, 6);
    }
  });
}

void WriteFourInNineRow(const Surface& s, uint32_t x, uint32_t y, uint32_t count, const Pixel* in) {
  WithBytes(s, [&](auto& m) {
    for (uint32_t i = 0; i < count; i++) {
      FourInNine at = LocateFourInNine(s, x + i, y);
      uint32_t value = uint32_t{in[i].r} >> 2 << 12 | uint32_t{in[i].g} >> 2 << 6 | in[i].b >> 2;
      m.Begin();
      m.Put(at.first, static_cast<uint8_t>(value >> 10));
      m.Put(at.first + 1, static_cast<uint8_t>(value >> 2));
      m.Merge(at.lowBlue, static_cast<uint8_t>((value & 3) << at.lowShift),
              static_cast<uint8_t>(3u << at.lowShift));
      m.End();
    }
  });
}

// ---- YUV ----

namespace {

struct YuvSlots {
  uint64_t y, u, v;
};

uint32_t GroupWidth(const PixelFormat& f) {
  return f.sizeRule == SizeRule::kYuv411 ? 4 : 2;
}

bool LinePairs(const PixelFormat& f) {
  return f.sizeRule == SizeRule::kYuv420Pairs || f.sizeRule == SizeRule::kYuv420Lines ||
         f.sizeRule == SizeRule::kYuv420Odd || f.sizeRule == SizeRule::kYuv420Plane;
}

// Where pixel (px, y) keeps its luma and its group's chroma.
YuvSlots LocateYuv(const Surface& s, uint32_t px, uint32_t y) {
  const PixelFormat& f = *s.format;
  const YuvLayout& l = f.yuv;
  uint64_t line = uint64_t{y} * s.stride;
  uint32_t k = px & 1;
  switch (f.sizeRule) {
    case SizeRule::kYuv411: {
      uint64_t group = line + uint64_t{px / 4} * 6;
      return {group + l.y[px & 3], group + l.u, group + l.v};
    }
    case SizeRule::kYuv422Plane: {
      uint64_t pair = line + (px & ~1u);
      return {pair + l.y[k], s.chromaPlane + pair + l.u, s.chromaPlane + pair + l.v};
    }
    case SizeRule::kYuv420Pairs: {
      uint64_t first = uint64_t{y / 2} * 2 * s.stride;
      uint64_t group = first + uint64_t{px / 2} * 4;
      uint64_t luma =
          y & 1 ? first + 2ull * RoundUpEven(s.lineWidth) + (px & ~1u) + l.y2[k] : group + l.y[k];
      return {luma, group + l.u, group + l.v};
    }
    case SizeRule::kYuv420Lines:
    case SizeRule::kYuv420Odd: {
      uint32_t swap = f.sizeRule == SizeRule::kYuv420Odd ? 1 : 0;
      uint64_t first = uint64_t{y / 2} * 2 * s.stride + uint64_t{px / 2} * 3;
      uint64_t second = first + s.stride;
      uint64_t luma = y & 1 ? second + l.y2[k] : first + l.y[k];
      return {luma ^ swap, (first + l.u) ^ swap, (second + l.v) ^ swap};
    }
    case SizeRule::kYuv420Plane: {
      uint64_t chroma = s.chromaPlane + uint64_t{y / 2} * s.stride + (px & ~1u);
      return {line + px, chroma + l.u, chroma + l.v};
    }
    default: {  // packed 4:2:2
      uint64_t group = line + uint64_t{px / 2} * 4;
      return {group + l.y[k], group + l.u, group + l.v};
    }
  }
}

}  // namespace

void ReadYuvRow(const Surface& s, uint32_t x, uint32_t y, uint32_t count, Pixel* out) {
  WithBytes(s, [&](auto& m) {
    for (uint32_t i = 0; i < count; i++) {
      YuvSlots at = LocateYuv(s, x + i, y);
      m.Begin();
      out[i] = Pixel{};
      out[i].y = m.Get(at.y);
      out[i].u = m.Get(at.u);
      out[i].v = m.Get(at.v);
      m.End();
    }
  });
}

void WriteYuvRow(const Surface& s, uint32_t x, uint32_t y, uint32_t count, const Pixel* in) {
  const PixelFormat& f = *s.format;
  uint32_t groupWidth = GroupWidth(f);
  bool pairs = LinePairs(f);
  bool firstLine = !pairs || (y & 1) == 0 || y == s.top;
  // The last line of an odd-height 4:2:0 image leaves the second line of its pair empty.
  bool fillBelow = pairs && (y & 1) == 0 && y + 1 == s.bottom && s.bottom == s.lines;
  WithBytes(s, [&](auto& m) {
    for (uint32_t i = 0; i < count; i++) {
      uint32_t px = x + i;
      const Pixel& p = in[i];
      YuvSlots at = LocateYuv(s, px, y);
      m.Begin();
      m.Put(at.y, p.y);
      if (firstLine && (px % groupWidth == 0 || px == s.left)) {
        m.Put(at.u, p.u);
        m.Put(at.v, p.v);
      }
      uint32_t last = px;
      if (px + 1 == s.right && s.right == s.lineWidth)
        last = (px / groupWidth + 1) * groupWidth - 1;
      for (uint32_t q = px; q <= last; q++) {
        if (q != px) m.Put(LocateYuv(s, q, y).y, p.y);
        if (fillBelow) m.Put(LocateYuv(s, q, y + 1).y, p.y);
      }
      m.End();
    }
  });
}
