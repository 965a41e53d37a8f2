// The configuration overview (devices, display areas and clocks on one screen) and the memory
// map, both read from the features of the chip model.
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "base/frequency.h"
#include "base/helper.h"
#include "chipdef/chipdef.h"
#include "chipdef/clock_rows.h"

namespace {

// ---- the overview's tables ----

struct Column {
  const char* heading;
  int width;
  bool right;
};

constexpr Column kDeviceColumns[] = {
    {"DEVICES   [*ON]", 15, false}, {"WxH", 8, true}, {"DESCRIPTION", 52, false}};
constexpr Column kAreaColumns[] = {{"AREA", 5, false},  {"WxHxBPP", 11, true},
                                   {"STRIDE", 6, true}, {"START", 7, true},
                                   {"END", 7, false},   {"START ADDRESS", 36, false}};
constexpr Column kClockColumns[] = {
    {"CLOCKS", 10, false}, {"FREQ", 11, false}, {"SOURCE", 54, false}};

// When an area's marker is on.
enum class On { kAlways, kNotZero, kIsOne };

// A display area's row: the features of each column; nullptr stands for "N/A" (start, end) or
// for no scroll area.
struct AreaRow {
  const char* name;
  const char* onFeature;
  On on;
  const char* width;
  const char* height;
  const char* bpp;  // the HWC shows its depth too
  const char* stride;
  const char* xStart;
  const char* yStart;
  const char* xEnd;
  const char* yEnd;
  const char* address;
  const char* scrollStart;
  const char* scrollEnd;
};

constexpr AreaRow kAreaRows[] = {
    {"HWC", "hwc", On::kNotZero, "memwidth", "memheight", "bpp", "memstride", nullptr, nullptr,
     nullptr, nullptr, "saddr", nullptr, nullptr},
    {"Main1", nullptr, On::kAlways, "main1width", "main1height", nullptr, "main1stride",
     "main1xstart", "main1ystart", nullptr, nullptr, "main1saddr", "mainscrsaddr", "mainscreaddr"},
    {"Main2", "mainselect", On::kIsOne, "main2width", "main2height", nullptr, "main2stride",
     "main2xstart", "main2ystart", nullptr, nullptr, "main2saddr", nullptr, nullptr},
    {"PIP1", "pip1", On::kNotZero, "pip1width", "pip1height", nullptr, "pip1stride", "pip1xstart",
     "pip1ystart", "pip1xend", "pip1yend", "pip1saddr", "pip1scrsaddr", "pip1screaddr"},
    {"PIP2", "pip2", On::kNotZero, "pip2width", "pip2height", nullptr, "pip2stride", "pip2xstart",
     "pip2ystart", "pip2xend", "pip2yend", "pip2saddr", "pip2scrsaddr", "pip2screaddr"},
};

using std::to_string;

std::string Size(ChipDef& m, const char* width, const char* height) {
  return to_string(m.GetValue(width)) + "x" + to_string(m.GetValue(height));
}

// One cell: a blank, then the text justified in the column (a longer text runs over).
std::string Cell(const Column& column, std::string_view text) {
  const size_t width = static_cast<size_t>(column.width);
  const size_t pad = text.size() < width ? width - text.size() : 0;
  std::string cell(1, ' ');
  if (column.right) cell.append(pad, ' ');
  cell += text;
  if (!column.right) cell.append(pad, ' ');
  return cell;
}

// The heading and its underline.
template <size_t N>
void AppendHeading(std::string* out, std::string_view prefix, const Column (&columns)[N]) {
  std::string underline(prefix);
  *out += prefix;
  for (const Column& column : columns) {
    *out += Cell(column, column.heading);
    underline += ' ' + std::string(static_cast<size_t>(column.width), '-');
  }
  *out += '\n' + underline + '\n';
}

// A row's start: the prefix, the marker and the first column.
std::string RowStart(std::string_view prefix, bool on, const Column& first, std::string_view text) {
  return std::string(prefix) + (on ? '*' : ' ') + Cell(first, text).substr(1);
}

std::string Pair(ChipDef& m, const char* a, const char* b) {
  if (a == nullptr) return "N/A";
  return to_string(m.GetValue(a)) + "," + to_string(m.GetValue(b));
}

std::string AreaLine(ChipDef& m, std::string_view prefix, const AreaRow& row) {
  const uint32_t state = row.onFeature != nullptr ? m.GetValue(row.onFeature) : 1;
  const bool on = row.on == On::kAlways || (row.on == On::kNotZero ? state != 0 : state == 1);
  std::string size = Size(m, row.width, row.height);
  if (row.bpp != nullptr) {
    const uint32_t bpp = m.GetValue(row.bpp);
    size += (bpp < 10 ? "x0" : "x") + to_string(bpp);
  }
  std::string address = m.GetValueText(row.address, true);
  if (row.scrollStart != nullptr) {
    address += ",scroll:" + std::string(m.GetValueText(row.scrollStart, true)) + "-" +
               m.GetValueText(row.scrollEnd, true);
  }
  return RowStart(prefix, on, kAreaColumns[0], row.name) + Cell(kAreaColumns[1], size) +
         Cell(kAreaColumns[2], to_string(m.GetValue(row.stride))) +
         Cell(kAreaColumns[3], Pair(m, row.xStart, row.yStart)) +
         Cell(kAreaColumns[4], Pair(m, row.xEnd, row.yEnd)) + Cell(kAreaColumns[5], address) + '\n';
}

// A clock's name and frequency sit right-justified under their left-justified headings.
std::string ClockLine(ChipDef& m, std::string_view prefix, const ClockRow& clock) {
  const Column name{nullptr, kClockColumns[0].width, true};
  const Column frequency{nullptr, kClockColumns[1].width, true};
  std::string line = std::string(prefix) + Cell(name, UpperText(clock.key)) +
                     Cell(frequency, FreqToStr(m.GetValue(clock.key)));
  if (clock.source != nullptr) line += ' ' + std::string(m.GetValueText(clock.source, true));
  if (clock.divider != nullptr) line += "/" + to_string(m.GetValue(clock.divider));
  if (std::string_view(clock.key) == "pllclk") {
    line += m.GetFieldValue("pllcontrol") != 0 ? " [PLL BYPASSED]" : " [PLL USED]";
  }
  return line + '\n';
}

// ---- the memory map ----

enum class Base { kChip, kMemory };

struct MapRow {
  const char* name;
  uint32_t views;         // the views the area appears in
  int level;              // higher levels come first
  Base base;              // what the addresses are relative to
  const char* start;      // the feature of the start; nullptr for the base itself
  const char* end;        // the feature of the end; nullptr for none
  uint32_t endAfterBase;  // an end this far past the base instead, when not 0
};

constexpr uint32_t kSystem = 1, kChipRelative = 2, kDisplayMemory = 4;
constexpr uint32_t kAllViews = kSystem | kChipRelative | kDisplayMemory;
// Registers and display memory share a 4 MB window from the chip base.
constexpr uint32_t kChipWindowEnd = 0x3FFFFF;
// Names no longer than this are answered.
constexpr size_t kMaxAreaName = 127;

constexpr MapRow kMapRows[] = {
    {"Registers", kSystem | kChipRelative, 3, Base::kChip, "regoffset", nullptr, kChipWindowEnd},
    {"Memory Image", kAllViews, 7, Base::kMemory, "saddr", nullptr, 0},
    {"Main Window 1", kAllViews, 7, Base::kMemory, "main1saddr", nullptr, 0},
    {"Main Window 2", kAllViews, 7, Base::kMemory, "main2saddr", nullptr, 0},
    {"Main Scroll Area", kAllViews, 7, Base::kMemory, "mainscrsaddr", "mainscreaddr", 0},
    {"PIP1 Window", kAllViews, 7, Base::kMemory, "pip1saddr", nullptr, 0},
    {"PIP2 Window", kAllViews, 7, Base::kMemory, "pip2saddr", nullptr, 0},
    {"PIP1 Scroll Area", kAllViews, 7, Base::kMemory, "pip1scrsaddr", "pip1screaddr", 0},
    {"PIP2 Scroll Area", kAllViews, 7, Base::kMemory, "pip2scrsaddr", "pip2screaddr", 0},
    {"Display Memory", kSystem | kChipRelative, 3, Base::kChip, "memoffset", nullptr, 0},
    {"Chip Base Address", kSystem, 1, Base::kChip, nullptr, nullptr, 0},
};

struct MapArea {
  std::string name;
  uint32_t start, end;
  int level;
};

}  // namespace

const char* ChipDef::ShowConfiguration(const char* prefix) {
  const std::string_view p = prefix != nullptr ? prefix : "";
  std::string text;
  text.reserve(2048);

  AppendHeading(&text, p, kDeviceColumns);
  text += RowStart(p, GetValue("port") == 1, kDeviceColumns[0], "LCD") +
          Cell(kDeviceColumns[1], Size(*this, "width", "height")) + ' ' +
          (ParallelPanel() ? "Parallel" : "RGB") + '\n';
  text += std::string(p) + '\n';

  AppendHeading(&text, p, kAreaColumns);
  for (const AreaRow& row : kAreaRows) text += AreaLine(*this, p, row);
  text += std::string(p) + '\n';

  AppendHeading(&text, p, kClockColumns);
  for (const ClockRow& clock : kClockRows) {
    if (FeatureExists(clock.key)) text += ClockLine(*this, p, clock);
  }
  return ScratchText(text);
}

bool ChipDef::GetMemoryMapEntry(uint32_t view, uint32_t n, const char** name, uint32_t* start,
                                uint32_t* end) {
  if (view != kSystem && view != kChipRelative && view != kDisplayMemory) return false;
  const uint32_t chipBase = view == kSystem ? GetValue("baseaddr") : 0;
  const uint32_t memoryBase = view == kDisplayMemory ? 0 : chipBase + GetValue("memoffset");
  std::vector<MapArea> areas;
  for (const MapRow& row : kMapRows) {
    if ((row.views & view) == 0) continue;
    const uint32_t base = row.base == Base::kChip ? chipBase : memoryBase;
    MapArea area{row.name, base, 0, row.level};
    if (row.start != nullptr) area.start += GetValue(row.start);
    if (row.end != nullptr) area.end = base + GetValue(row.end);
    if (row.endAfterBase != 0) area.end = base + row.endAfterBase;
    if (view == kSystem && row.level == 7) area.name = "-" + area.name;
    areas.push_back(std::move(area));
  }
  if (n >= areas.size()) return false;
  // Higher levels first, and within a level the higher addresses.
  std::stable_sort(areas.begin(), areas.end(), [](const MapArea& a, const MapArea& b) {
    return a.level != b.level ? a.level > b.level : a.start > b.start;
  });
  const MapArea& area = areas[n];
  *name = ScratchText(std::string_view(area.name).substr(0, kMaxAreaName));
  *start = area.start;
  *end = area.end;
  return true;
}
