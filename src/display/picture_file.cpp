#include "display/picture_file.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "base/helper.h"
#include "console/output.h"
#include "display/image.h"
#include "display/output_file.h"
#include "display/picture_codec.h"

namespace {

// Headers are read from the file's first bytes; whole files up to this size (a P3 file spends
// up to four characters a sample).
constexpr uint64_t kHeaderBytes = 64 * 1024;
constexpr uint64_t kMaxFileBytes = 4 * kMaxPictureBytes;

using Decoder = DecodeStatus (*)(std::span<const uint8_t>, bool, Picture*);

struct KindRow {
  FileKind kind;
  const char* extension;
  const char* label;
  Decoder decode;
  bool (*encode)(const Picture&, std::vector<uint8_t>*);
};

constexpr KindRow kKinds[] = {
    {FileKind::kBmp, ".bmp", "BMP", DecodeBmp, nullptr},
    {FileKind::kPpm, ".ppm", "PPM", DecodePpm, EncodePpm},
    {FileKind::kPng, ".png", "PNG", DecodePng, EncodePng},
    {FileKind::kYuv, ".yuv", "YUV", nullptr, nullptr},
};

const KindRow* RowOf(FileKind kind) {
  for (const KindRow& row : kKinds) {
    if (row.kind == kind) return &row;
  }
  return nullptr;
}

enum class ReadResult { kOk, kCannotOpen, kTooLarge, kFailed };

// Up to limit bytes from the file's start; kTooLarge when wholeFile and there are more. A
// regular file is read in one piece into a buffer of its size.
ReadResult ReadFileBytes(const char* name, uint64_t limit, bool wholeFile,
                         std::vector<uint8_t>* bytes) {
  FilePtr file(std::fopen(name, "rb"));
  if (file == nullptr) return ReadResult::kCannotOpen;
  struct stat info;
  bool sized = fstat(fileno(file.get()), &info) == 0 && S_ISREG(info.st_mode);
  if (sized && wholeFile && static_cast<uint64_t>(info.st_size) > limit) {
    return ReadResult::kTooLarge;
  }
  uint64_t expected = sized ? std::min<uint64_t>(static_cast<uint64_t>(info.st_size), limit) : 0;
  if (!TryResize(bytes, expected)) return ReadResult::kFailed;
  size_t have = std::fread(bytes->data(), 1, bytes->size(), file.get());
  bytes->resize(have);
  uint8_t chunk[64 * 1024];
  while (bytes->size() < limit) {  // a file that grew, or one without a size
    size_t n = std::fread(chunk, 1, sizeof chunk, file.get());
    if (n == 0) break;
    size_t keep = static_cast<size_t>(std::min<uint64_t>(n, limit - bytes->size()));
    bytes->insert(bytes->end(), chunk, chunk + keep);
  }
  if (std::ferror(file.get())) return ReadResult::kFailed;
  if (wholeFile && bytes->size() == limit && std::fgetc(file.get()) != EOF) {
    return ReadResult::kTooLarge;
  }
  return ReadResult::kOk;
}

bool NoExtension(const char* name) {
  return OutPrintf(CH_ERR, "ERROR: '%s' has no extension (.bmp, .ppm or .png for a picture).\n",
                   name);
}

bool Report(const char* name, const KindRow& row, const DecodeStatus& status) {
  switch (status.fault) {
    case PictureFault::kHeader:
      return OutPrintf(CH_ERR, "ERROR: Failed to read %s info header: '%s' %s.\n", row.label, name,
                       status.reason.c_str());
    case PictureFault::kPixels:
      return OutPrintf(CH_ERR, "ERROR: Image read failed: '%s' %s.\n", name, status.reason.c_str());
    default:
      return OutPrintf(CH_ERR, "ERROR: cannot allocate enough CPU memory.\n");
  }
}

// Reads and decodes the file as the row's kind; messages for everything but a file that does
// not open.
bool ReadPicture(const char* name, const KindRow& row, bool headerOnly, Picture* picture) {
  std::vector<uint8_t> bytes;
  switch (ReadFileBytes(name, headerOnly ? kHeaderBytes : kMaxFileBytes, !headerOnly, &bytes)) {
    case ReadResult::kCannotOpen:
      return false;
    case ReadResult::kTooLarge:
      return OutPrintf(CH_ERR, "ERROR: Image read failed: '%s' is larger than 1 GiB.\n", name);
    case ReadResult::kFailed:
      return OutPrintf(CH_ERR, "ERROR: Image read failed: '%s' could not be read.\n", name);
    case ReadResult::kOk:
      break;
  }
  DecodeStatus status = row.decode(bytes, headerOnly, picture);
  return status.ok() || Report(name, row, status);
}

bool Load(const char* name, FileKind kind, uint8_t* destination, uint64_t size, int format,
          int flags) {
  const KindRow* row = RowOf(kind);
  if (row == nullptr || row->decode == nullptr) return NoExtension(name);
  Picture picture;
  if (!ReadPicture(name, *row, false, &picture)) return false;
  ImageDesc from;
  from.buffer = picture.rgb.data();
  from.bufferSize = picture.rgb.size();
  from.formatName = "R888.R-G-B";
  from.width = picture.width;
  from.height = picture.height;
  ImageDesc to;
  to.buffer = destination;
  to.bufferSize = size;
  to.formatIndex = format;
  to.width = picture.width;
  to.height = picture.height;
  to.coding = CodingFromFlags(flags);
  if (ConvertImage(from, to) == 0) {
    return OutPrintf(CH_ERR, "ERROR: Convert library operation failed.\n");
  }
  return true;
}

bool Save(const char* name, FileKind kind, const uint8_t* source, uint64_t size, int format,
          int flags, uint32_t width, uint32_t height) {
  const KindRow* row = RowOf(kind);
  if (row == nullptr || row->encode == nullptr) return NoExtension(name);
  Picture picture;
  picture.width = width;
  picture.height = height;
  if (!TryResize(&picture.rgb, uint64_t{width} * height * 3)) {
    return OutPrintf(CH_ERR, "ERROR: cannot allocate enough CPU memory.\n");
  }
  ImageDesc from;
  from.buffer = const_cast<uint8_t*>(source);  // only read
  from.bufferSize = size;
  from.formatIndex = format;
  from.width = width;
  from.height = height;
  from.coding = CodingFromFlags(flags);
  ImageDesc to;
  to.buffer = picture.rgb.data();
  to.bufferSize = picture.rgb.size();
  to.formatName = "R888.R-G-B";
  to.width = width;
  to.height = height;
  if (ConvertImage(from, to) == 0) {
    return OutPrintf(CH_ERR, "ERROR: Convert library operation failed.\n");
  }
  std::vector<uint8_t> bytes;
  if (!row->encode(picture, &bytes)) {
    return OutPrintf(CH_ERR, "ERROR: cannot allocate enough CPU memory.\n");
  }
  OutputFile file;
  if (!file.Open(name, false)) {
    return OutPrintf(CH_ERR, "ERROR: Could not open file '%s' for binary writing.\n", name);
  }
  if (!file.Write(bytes.data(), bytes.size()) || !file.Commit()) {
    return OutPrintf(CH_ERR, "ERROR: '%s' file write operation failed.\n", name);
  }
  return true;
}

}  // namespace

FileKind FileKindOf(std::string_view name) {
  size_t slash = name.rfind('/');
  std::string_view last = slash == std::string_view::npos ? name : name.substr(slash + 1);
  size_t dot = last.rfind('.');
  if (dot == std::string_view::npos) return FileKind::kNoExtension;
  for (const KindRow& row : kKinds) {
    if (EqualsNoCase(last.substr(dot), row.extension)) return row.kind;
  }
  return FileKind::kOther;
}

bool IsPicture(FileKind kind) {
  return kind == FileKind::kBmp || kind == FileKind::kPpm || kind == FileKind::kPng;
}

bool GetImageSize(const char* name, uint32_t* width, uint32_t* height) {
  FileKind kind = FileKindOf(name);
  if (kind == FileKind::kNoExtension) return NoExtension(name);
  if (!IsPicture(kind)) return true;
  Picture picture;
  if (!ReadPicture(name, *RowOf(kind), true, &picture)) return false;
  *width = picture.width;
  *height = picture.height;
  return true;
}

bool LoadBmpImage(const char* name, uint8_t* destination, uint64_t size, int format, int flags) {
  return Load(name, FileKind::kBmp, destination, size, format, flags);
}

bool LoadPpmImage(const char* name, uint8_t* destination, uint64_t size, int format, int flags) {
  return Load(name, FileKind::kPpm, destination, size, format, flags);
}

bool LoadPngImage(const char* name, uint8_t* destination, uint64_t size, int format, int flags) {
  return Load(name, FileKind::kPng, destination, size, format, flags);
}

bool LoadPicture(const char* name, uint8_t* destination, uint64_t size, int format, int flags) {
  return Load(name, FileKindOf(name), destination, size, format, flags);
}

bool SavePpmImage(const char* name, const uint8_t* source, uint64_t size, int format, int flags,
                  uint32_t width, uint32_t height) {
  return Save(name, FileKind::kPpm, source, size, format, flags, width, height);
}

bool SavePngImage(const char* name, const uint8_t* source, uint64_t size, int format, int flags,
                  uint32_t width, uint32_t height) {
  return Save(name, FileKind::kPng, source, size, format, flags, width, height);
}

bool SavePicture(const char* name, const uint8_t* source, uint64_t size, int format, int flags,
                 uint32_t width, uint32_t height) {
  return Save(name, FileKindOf(name), source, size, format, flags, width, height);
}
