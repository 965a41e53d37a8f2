// PNG through libpng. libpng reports errors by longjmp: the functions that call it while a
// setjmp is armed keep no C++ objects with destructors, and everything they fill lives in the
// caller.
#include <png.h>

#include <csetjmp>
#include <cstring>
#include <vector>

#include "display/picture_codec.h"

namespace {

struct MemoryReader {
  const uint8_t* data;
  size_t size;
  size_t at;
};

struct PngErrorText {
  char text[160];
};

void ReadFromMemory(png_structp png, png_bytep out, size_t bytes) {
  auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
  if (bytes > reader->size - reader->at) png_error(png, "ends inside its data");
  std::memcpy(out, reader->data + reader->at, bytes);
  reader->at += bytes;
}

void KeepError(png_structp png, png_const_charp message) {
  auto* error = static_cast<PngErrorText*>(png_get_error_ptr(png));
  std::snprintf(error->text, sizeof error->text, "%s", message);
  png_longjmp(png, 1);
}

void IgnoreWarning(png_structp, png_const_charp) {}

// The read structures, destroyed however the reading ends.
class PngReadGuard {
 public:
  explicit PngReadGuard(PngErrorText* error)
      : png_(png_create_read_struct(PNG_LIBPNG_VER_STRING, error, KeepError, IgnoreWarning)),
        info_(png_ != nullptr ? png_create_info_struct(png_) : nullptr) {}
  ~PngReadGuard() { png_destroy_read_struct(&png_, &info_, nullptr); }
  PngReadGuard(const PngReadGuard&) = delete;
  PngReadGuard& operator=(const PngReadGuard&) = delete;
  png_structp png() const { return png_; }
  png_infop info() const { return info_; }

 private:
  png_structp png_;
  png_infop info_;
};

// Reads the header and asks for 8-bit R, G, B rows whatever the file holds.
bool ReadHeader(png_structp png, png_infop info, uint32_t* width, uint32_t* height) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_read_info(png, info);
  *width = png_get_image_width(png, info);
  *height = png_get_image_height(png, info);
  int colour = png_get_color_type(png, info);
  png_set_expand(png);
  if (png_get_bit_depth(png, info) == 16) png_set_scale_16(png);
  png_set_strip_alpha(png);
  if (colour == PNG_COLOR_TYPE_GRAY || colour == PNG_COLOR_TYPE_GRAY_ALPHA) {
    png_set_gray_to_rgb(png);
  }
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != uint64_t{*width} * 3) png_error(png, "has a layout not read");
  return true;
}

bool ReadRows(png_structp png, png_bytepp rows) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_read_image(png, rows);
  return true;
}

DecodeStatus PngFault(PictureFault fault, const char* libpngText) {
  return {fault, std::string("is not a readable PNG file (") + libpngText + ")"};
}

}  // namespace

DecodeStatus DecodePng(std::span<const uint8_t> file, bool headerOnly, Picture* out) {
  if (file.size() < 8 || png_sig_cmp(file.data(), 0, 8) != 0) {
    return {PictureFault::kHeader, "has no PNG signature"};
  }
  PngErrorText error = {"out of memory"};
  PngReadGuard guard(&error);
  if (guard.info() == nullptr) return {PictureFault::kMemory, "needs more memory than there is"};
  MemoryReader reader = {file.data(), file.size(), 0};
  png_set_read_fn(guard.png(), &reader, ReadFromMemory);
  uint32_t width = 0, height = 0;
  if (!ReadHeader(guard.png(), guard.info(), &width, &height)) {
    return PngFault(PictureFault::kHeader, error.text);
  }
  if (std::string tooLarge = CheckPictureSize(width, height); !tooLarge.empty()) {
    return {PictureFault::kHeader, tooLarge};
  }
  out->width = width;
  out->height = height;
  if (headerOnly) return {};
  std::vector<png_bytep> rows;
  if (!TryResize(&out->rgb, uint64_t{width} * height * 3)) {
    return {PictureFault::kMemory, "needs more memory than there is"};
  }
  try {
    rows.resize(height);
  } catch (const std::bad_alloc&) {
    return {PictureFault::kMemory, "needs more memory than there is"};
  }
  for (uint32_t y = 0; y < height; y++) rows[y] = &out->rgb[uint64_t{y} * width * 3];
  if (!ReadRows(guard.png(), rows.data())) return PngFault(PictureFault::kPixels, error.text);
  return {};
}

bool EncodePng(const Picture& picture, std::vector<uint8_t>* file) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = picture.width;
  image.height = picture.height;
  image.format = PNG_FORMAT_RGB;
  png_alloc_size_t size = 0;
  if (!png_image_write_get_memory_size(image, size, 0, picture.rgb.data(), 0, nullptr)) {
    png_image_free(&image);
    return false;
  }
  if (!TryResize(file, size)) return false;
  bool ok = png_image_write_to_memory(&image, file->data(), &size, 0, picture.rgb.data(), 0,
                                      nullptr) != 0;
  png_image_free(&image);
  return ok && TryResize(file, size);
}
