// The four display windows as the chip model sees them: where each starts in display memory and
// the pixel format of its memory (the PIP windows take the host write window's data type when it
// is enabled).
#pragma once

#include <cstdint>
#include <string_view>

enum DisplayWindow : int { kMain1 = 0, kMain2 = 1, kPip1 = 2, kPip2 = 3 };
constexpr int kDisplayWindowCount = 4;

// The word that names a window in commands and its features in the chip model.
struct WindowFeatures {
  const char* name;  // MAIN1 .. PIP2
  const char* width;
  const char* height;
  const char* stride;
  const char* start;
  const char* lutBypass;  // of the LUT the window's pixels pass through
};
extern const WindowFeatures kWindowFeatures[kDisplayWindowCount];

// The window a word names (MAIN1 .. PIP2, any case), or -1.
int FindDisplayWindow(std::string_view word);

// The host write window's data types 0 to 4 (YUV 422, YUV 422 separate, YUV 420, YUV 420
// separate, RGB 565) as table formats; -1 for any other type. FLOAD's and FDUMP's F= use them.
constexpr uint32_t kDataTypeCount = 5;
int DataTypeFormat(uint32_t dataType);

// The host write window's data type: bits 7-5 of HOST_CONFIG (0180h), as the HAL's window image
// format sets them (data type x 20h). The 77Q41 keeps only bit 7 there, its one-bit "datatype"
// feature, so on that chip 0 is data type 0 (YUV 4:2:2, "Y422.YU-YV") and 1 is data type 4
// (RGB 5:6:5, "R565.RGB"); the 77K50's three-bit "datatype" is the data type itself.
uint32_t HostDataType();

// The window's start address ("main1saddr" .. "pip2saddr"); 0 for a number outside 0..3.
uint32_t GetWindowStartAddress(int window);

// The pixel-format index of the window: RGB 5:6:5, or for PIP1 and PIP2 with the host write
// window on, the format of its data type; -1 for a number outside 0..3 or a data type the table
// has no format for.
int GetWindowPixelFormat(int window);
