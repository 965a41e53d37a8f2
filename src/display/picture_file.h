// Picture files by name, as FLOAD and FDUMP use them: the kind from the name's extension, the
// size from the header, loading into a pixel buffer of any table format and saving from one.
// Every refusal prints an "ERROR: " line naming the file and the reason (an unopenable file to
// load or size is left to the caller, which names it).
#pragma once

#include <cstdint>
#include <string_view>

enum class FileKind {
  kNoExtension,
  kBmp,
  kPpm,
  kPng,
  kYuv,    // raw YUV frames
  kOther,  // raw binary
};

// From the text after the last "." of the last path component, ignoring case.
FileKind FileKindOf(std::string_view name);
bool IsPicture(FileKind kind);  // BMP, PPM or PNG

// Width and height from the header. False without a message when the file cannot be opened;
// with one for a malformed header or a name without an extension. A raw kind leaves both as
// they were and gives true.
bool GetImageSize(const char* name, uint32_t* width, uint32_t* height);

// Reads the picture and converts it into destination (size bytes) in the table format, with
// the conversion flags (bit 1 chroma offset, bit 0 studio range) on the destination's side.
bool LoadBmpImage(const char* name, uint8_t* destination, uint64_t size, int format, int flags);
bool LoadPpmImage(const char* name, uint8_t* destination, uint64_t size, int format, int flags);
bool LoadPngImage(const char* name, uint8_t* destination, uint64_t size, int format, int flags);
// The loader of the name's kind.
bool LoadPicture(const char* name, uint8_t* destination, uint64_t size, int format, int flags);

// Writes width x height pixels of source (size bytes, in the table format, flags on its side)
// as a P6 PPM or an RGB PNG file, through a temporary file that takes the name at the end.
bool SavePpmImage(const char* name, const uint8_t* source, uint64_t size, int format, int flags,
                  uint32_t width, uint32_t height);
bool SavePngImage(const char* name, const uint8_t* source, uint64_t size, int format, int flags,
                  uint32_t width, uint32_t height);
// The saver of the name's kind (PPM or PNG).
bool SavePicture(const char* name, const uint8_t* source, uint64_t size, int format, int flags,
                 uint32_t width, uint32_t height);
