// The register checks of DIAGNOSE: the chip's rules between settings (ChipDef), and the
// settings no document entry names and register bits no feature describes (ChipDefBase).
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "base/helper.h"
#include "chipdef/chipdef.h"
#include "chipdef/fatal.h"

namespace {

// A rule of the chip: when broken, the message names the feature's label.
struct ChipRule {
  const char* labelOf;
  const char* message;
  bool (*broken)(ChipDef& m);
};

bool OverlayWithFilter(ChipDef& m, const char* overlay, const char* vFilter, const char* hFilter) {
  return m.GetFieldValue(overlay) == 1 &&
         (m.GetFieldValue(vFilter) == 1 || m.GetFieldValue(hFilter) == 1);
}

constexpr const char* kMainScroll = "ERROR: %s must be less than Main Window Scroll End Address\n";
constexpr const char* kPip1Scroll = "ERROR: %s must be less than PIP1 Window Scroll End Address\n";
constexpr const char* kPip2Scroll = "ERROR: %s must be less than PIP2 Window Scroll End Address\n";
constexpr const char* kOverlay = "ERROR: If %s is enabled, scaling filters must be disabled.\n";

constexpr ChipRule kChipRules[] = {
    {"sysclkdiv", "ERROR: If %s != 1, Pixel Clock Divide cannot be odd.\n",
     [](ChipDef& m) { return m.GetValue("sysclkdiv") != 1 && m.GetValue("pclkdiv") % 2 == 1; }},
    {"lcdsertype", "ERROR: If %s == 7, LCD Serial Data Direction must be 0.\n",
     [](ChipDef& m) {
       return m.FeatureExists("lcdsertype") && m.GetFieldValue("lcdsertype") == 7 &&
              m.GetFieldValue("lcdserdir") != 0;
     }},
    {"rotate", "ERROR: If %s == 90/270, HWC Memory Rectangular Write Vertical Size must be even.\n",
     [](ChipDef& m) {
       return m.GetFieldValue("rotate") % 2 == 1 && m.GetValue("memheight") % 2 == 1;
     }},
    {"pip2overlay", kOverlay,
     [](ChipDef& m) { return OverlayWithFilter(m, "pip2overlay", "pip2vfilter", "pip2hfilter"); }},
    {"pip1overlay", kOverlay,
     [](ChipDef& m) { return OverlayWithFilter(m, "pip1overlay", "pip1vfilter", "pip1hfilter"); }},
    {"mainscrsaddr", kMainScroll,
     [](ChipDef& m) { return m.GetValue("mainscrsaddr") > m.GetValue("mainscreaddr"); }},
    {"main1saddr", kMainScroll,
     [](ChipDef& m) { return m.GetValue("main1saddr") > m.GetValue("mainscreaddr"); }},
    {"pip1scrsaddr", kPip1Scroll,
     [](ChipDef& m) { return m.GetValue("pip1scrsaddr") > m.GetValue("pip1screaddr"); }},
    {"pip1saddr", kPip1Scroll,
     [](ChipDef& m) { return m.GetValue("pip1saddr") > m.GetValue("pip1screaddr"); }},
    {"pip2scrsaddr", kPip2Scroll,
     [](ChipDef& m) { return m.GetValue("pip2scrsaddr") > m.GetValue("pip2screaddr"); }},
    {"pip2saddr", kPip2Scroll,
     [](ChipDef& m) { return m.GetValue("pip2saddr") > m.GetValue("pip2screaddr"); }},
};

// Messages name a feature by its name and short location: "Pixel Clock Divide Select
// (REG[0030h-b4:0])".
constexpr uint32_t kShortLabel = LABEL_NAME | LABEL_LOCATION | LABEL_SHORT;

// Room kept for the closing line of a report that had to leave messages out.
constexpr size_t kNoteRoom = 80;

// Writes whole messages into the buffer, in order, while they fit; when some do not, the report
// ends with a line counting them instead. Returns the characters written; the buffer always
// ends in a terminator.
size_t WriteReport(const std::vector<std::string>& messages, char* buffer, size_t size) {
  if (size == 0) return 0;
  size_t total = 0;
  for (const std::string& message : messages) total += message.size();
  // Everything fits: no room need be kept for the closing line.
  const size_t room = total < size ? size - 1 : (size > kNoteRoom ? size - kNoteRoom : 0);
  size_t length = 0, written = 0;
  for (const std::string& message : messages) {
    if (length + message.size() > room) break;
    message.copy(buffer + length, message.size());
    length += message.size();
    written++;
  }
  if (written < messages.size()) {
    // In a buffer too small even for this line, what fits of it still says the report is not
    // empty.
    const int n = std::snprintf(buffer + length, size - length,
                                "WARNING: %zu more messages left out: the report is full.\n",
                                messages.size() - written);
    if (n > 0) length = std::min(length + static_cast<size_t>(n), size - 1);
  }
  buffer[length] = '\0';
  return length;
}

}  // namespace

size_t ChipDef::Diagnose(char* buffer, size_t size) {
  if (buffer == nullptr) CHIPDEF_FATAL("no report buffer");
  std::vector<std::string> messages;
  for (const ChipRule& rule : kChipRules) {
    if (rule.broken(*this))
      messages.push_back(FormatText(rule.message, FeatureLabel(rule.labelOf, kShortLabel)));
  }
  return WriteReport(messages, buffer, size);
}

bool ChipDefBase::FieldReadable(const FeatureRec& f) {
  if (f.WriteOnly) return false;
  return f.Reg == kAllOnes || (!IsDataPort(f.Reg) && !IsRegWriteOnly(f.Reg));
}

size_t ChipDefBase::DiagnoseReserved(char* buffer, size_t size) {
  if (buffer == nullptr) CHIPDEF_FATAL("no report buffer");
  std::vector<std::string> messages;
  // List settings that no entry of the document names.
  for (const FeatureRec& f : m_Features) {
    if (f.Type != FT_LIST || f.KeyName.empty() || !IsForProduct(f.Product)) continue;
    if (!FieldReadable(f)) continue;
    const char* key = f.KeyName.c_str();
    const uint32_t field = GetFieldValue(key);
    uint32_t entry = 0;
    if (FindValueByIndex(key, field, &entry)) continue;
    messages.push_back(FormatText("WARNING: %s is set to RESERVED setting of %u.\n",
                                  FeatureLabel(key, kShortLabel), field));
  }
  // Register bits that no feature describes, in the registers that can be read without harm.
  for (const RegisterRec& r : m_Registers) {
    if (!r.Readable() || !IsForProduct(r.Product)) continue;
    uint32_t described = 0;
    for (const FeatureRec& f : m_Features) {
      if (f.Reg == r.Index && IsForProduct(f.Product)) described |= f.Mask;
    }
    const uint32_t stray = ReadRegister(r.Index, false) & ~described;
    if (stray != 0) messages.push_back(StrayBitWarning(r.Index, stray));
  }
  return WriteReport(messages, buffer, size);
}
