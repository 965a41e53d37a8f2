// Acquiring the controller, the version text, the last error and the trace switch.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string_view>

#include "hal/board_route.h"
#include "hal/hal.h"
#include "hal/hal_state.h"
#include "hal/hcl_data.h"

HalState Hal;

namespace {

BoardRoute Route;

constexpr const char* kHalRevision = "$Revision: 74 $";
constexpr const char* kAttribution = "77Q41 hardware abstraction layer, USB bridge and mapped bus";

constexpr const char* kErrorTexts[] = {
    "There was no error detected",
    "Unable to find/load the QDX77xxx driver",
    "Unable to locate an QDX77xxx controller",
    "This program has not been configured",
    "Config CRC does not match configuration",
    "The controller has not been acquired",
    "IRQ interrupt handler failure",
    "Breakpoint: Register alignment error",
    "Breakpoint: Mask out of bounds",
    "Breakpoint: Timing not recognized",
    "Breakpoint: Register format not recognized",
    "Breakpoint: Register closing brace not found",
    "Breakpoint: Error parsing match value",
    "Breakpoint: Maximum breakpoints used",
    "Breakpoint: Error parsing access type",
    "An unspecified error occured",
};
static_assert(std::size(kErrorTexts) == kHalUnspecified + 1);

// The build number of a revision keyword: the decimal number after its first ':'.
unsigned BuildNumber(const char* keyword) {
  const char* colon = std::strchr(keyword, ':');
  return colon != nullptr ? static_cast<unsigned>(std::strtoul(colon + 1, nullptr, 10)) : 0;
}

const char* CrcStatus(const QvHclData& record) {
  if (record.crc == ComputeHclCrc(record)) return "OK";
  return record.crc == 0 ? "unconfigured" : "error";
}

// A fixed-size record field as text, whether or not it is terminated.
template <size_t N>
std::string_view FieldText(const char (&field)[N]) {
  return std::string_view(field, strnlen(field, N));
}

}  // namespace

int qvAcquireController() {
  Hal.lastError = kHalOk;
  if (!Hal.traceSet) {
    Hal.traceOn = (halHclFlags() & qvfDEBUG_REG_WRITES) != 0;
    Hal.traceSet = true;
  }
  if (Hal.windowBase[0] != 0) return 1;
  if ((halHclFlags() & qvfADAPTER_USB) == 0) {
    // Only the USB bridge variant exists so far: a driver board cannot be located.
    Hal.lastError = kHalNoController;
    return 0;
  }
  Hal.dispatch = BridgeVariant;
  if (!Hal.dispatch.acquire()) return 0;
  Hal.windowBase[0] = kBridgeWindowMark;
  return 1;
}

void halSetRecord(const QvHclData* record) {
  Hal.record = record != nullptr ? record : &qvHclData;
}

const QvHclData& halRecord() {
  return *Hal.record;
}

uint32_t halHclFlags() {
  return Hal.record->hclFlags;
}

void halSetBoardRoute(const BoardRoute& route) {
  Route = route;
}

const BoardRoute& halBoardRoute() {
  return Route;
}

bool qvIsAcquired() {
  return Hal.windowBase[0] != 0;
}

void qvGetVersionInfo(const char* program, const char* title, const char* revision, char* buffer,
                      size_t size) {
  if (buffer == nullptr || size == 0) return;
  const QvHclData& record = halRecord();
  std::string_view chip = FieldText(record.chipId);
  int n = std::snprintf(
      buffer, size, "%.*s%s - %s - Build %u [L:%u]\n%s\nConfiguration CRC %04Xh (%s)\n",
      static_cast<int>(chip.size()), chip.data(), program, title, BuildNumber(revision),
      BuildNumber(kHalRevision), kAttribution, record.crc, CrcStatus(record));
  std::string_view description = FieldText(record.description);
  if (!description.empty() && n >= 0 && static_cast<size_t>(n) < size) {
    std::snprintf(buffer + n, size - n, ", Description:\n%.*s\n",
                  static_cast<int>(description.size()), description.data());
  }
  buffer[size - 1] = '\0';
}

uint32_t qvGetLastError(char* buffer, size_t size) {
  uint32_t code = Hal.lastError;
  if (buffer != nullptr && size > 0) {
    const char* text =
        code < std::size(kErrorTexts) ? kErrorTexts[code] : kErrorTexts[kHalUnspecified];
    std::snprintf(buffer, size, code == kHalOk ? "%s" : "ERROR: %s", text);
  }
  return code;
}

bool qvSetDebug(bool on) {
  bool previous = Hal.traceOn;
  Hal.traceOn = on;
  return previous;
}
