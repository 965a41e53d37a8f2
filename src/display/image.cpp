#include "display/image.h"

#include <algorithm>
#include <memory>
#include <new>

#include "display/pixel_codec.h"
#include "display/pixel_format.h"

namespace {

int ResolveFormat(const ImageDesc& d) {
  if (d.formatName != nullptr) return FindPixelFormat(d.formatName);
  return IsValidFormat(d.formatIndex) ? d.formatIndex : -1;
}

// Places a width x height rectangle at the image's origin and settles the stride. False when the
// image up to the rectangle's far corner does not fit the bytes the descriptor offers.
bool MakeSurface(const ImageDesc& d, int index, uint32_t width, uint32_t height, Surface* s) {
  uint64_t lineWidth = uint64_t{d.x} + width;
  uint64_t lines = uint64_t{d.y} + height;
  if (lineWidth > UINT32_MAX || lines > UINT32_MAX) return false;
  if (d.hook == nullptr && d.buffer == nullptr) return false;
  const PixelFormat& f = PixelFormatAt(index);
  s->format = &f;
  s->buffer = d.buffer;
  s->address = d.address;
  s->hook = d.hook;
  s->lineWidth = static_cast<uint32_t>(lineWidth);
  s->lines = static_cast<uint32_t>(lines);
  s->stride = d.stride != 0 ? d.stride : GetFormatLineSize(index, s->lineWidth);
  s->chromaPlane = ChromaPlaneOffset(f, s->lines, s->stride);
  s->left = d.x;
  s->top = d.y;
  s->right = s->lineWidth;
  s->bottom = s->lines;
  s->coding = d.coding;
  return FormatExtent(f, s->lineWidth, s->lines, s->stride) <= d.bufferSize;
}

// Brings a row read from one side into the colour model of the other.
void Transform(Pixel* row, uint32_t count, const Surface& from, const Surface& to) {
  bool fromRgb = from.format->variant < 0;
  bool toRgb = to.format->variant < 0;
  if (fromRgb && toRgb) return;
  if (fromRgb) {
    RgbToYuv(row, count, to.coding);
    return;
  }
  bool sameCoding = from.coding.chromaOffset == to.coding.chromaOffset &&
                    from.coding.studioRange == to.coding.studioRange;
  if (!toRgb && sameCoding) return;
  YuvToRgb(row, count, from.coding);
  if (!toRgb) RgbToYuv(row, count, to.coding);
}

// The surface of one pixel of the image; false when it lies outside the image or the image does
// not fit its buffer.
bool PixelSurface(const ImageDesc& image, uint32_t x, uint32_t y, Surface* s) {
  int index = ResolveFormat(image);
  if (index < 0 || !MakeSurface(image, index, image.width, image.height, s)) return false;
  if (x >= s->lineWidth || y >= s->lines) return false;
  s->left = x;
  s->right = x + 1;
  s->top = y;
  s->bottom = y + 1;
  return true;
}

}  // namespace

YuvCoding CodingFromFlags(int flags) {
  return {(flags & 2) != 0, (flags & 1) != 0};
}

uint64_t ConvertImage(const ImageDesc& source, const ImageDesc& destination) {
  int from = ResolveFormat(source);
  int to = ResolveFormat(destination);
  if (from < 0 || to < 0) return 0;
  uint32_t width = std::min(source.width, destination.width);
  uint32_t height = std::min(source.height, destination.height);
  if (width == 0 || height == 0) return 0;
  Surface src, dst;
  if (!MakeSurface(source, from, width, height, &src) ||
      !MakeSurface(destination, to, width, height, &dst)) {
    return 0;
  }
  std::unique_ptr<Pixel[]> row(new (std::nothrow) Pixel[width]());
  if (!row) return 0;
  for (uint32_t line = 0; line < height; line++) {
    src.format->readRow(src, src.left, src.top + line, width, row.get());
    Transform(row.get(), width, src, dst);
    dst.format->writeRow(dst, dst.left, dst.top + line, width, row.get());
  }
  return GetFormatImageSize(to, width, height);
}

uint32_t ReadPixelColor(const ImageDesc& image, uint32_t x, uint32_t y) {
  Surface s;
  if (!PixelSurface(image, x, y, &s)) return 0;
  Pixel p{};
  s.format->readRow(s, x, y, 1, &p);
  if (s.format->variant >= 0) YuvToRgb(&p, 1, s.coding);
  return uint32_t{p.a} << 24 | uint32_t{p.r} << 16 | uint32_t{p.g} << 8 | p.b;
}

void WritePixelColor(const ImageDesc& image, uint32_t x, uint32_t y, uint32_t color) {
  Surface s;
  if (!PixelSurface(image, x, y, &s)) return;
  Pixel p{static_cast<uint8_t>(color >> 24),
          static_cast<uint8_t>(color >> 16),
          static_cast<uint8_t>(color >> 8),
          static_cast<uint8_t>(color),
          0,
          0,
          0};
  if (s.format->variant >= 0) RgbToYuv(&p, 1, s.coding);
  s.format->writeRow(s, x, y, 1, &p);
}

uint32_t YuvToRgbColor(uint32_t yuv) {
  uint8_t luma = static_cast<uint8_t>(yuv >> 16);
  uint8_t pair[4] = {luma, static_cast<uint8_t>(yuv >> 8), luma, static_cast<uint8_t>(yuv)};
  ImageDesc image;
  image.buffer = pair;
  image.bufferSize = sizeof pair;
  image.formatName = "Y422.Y-U-Y-V";
  image.width = 2;
  image.height = 1;
  image.coding = {true, true};
  return ReadPixelColor(image, 0, 0);
}
