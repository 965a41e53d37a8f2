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
#include "transport/driver_transport.h"

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

// The route's ",hcl=" flags replace the record's; the bus flag says which bus the route reaches.
HclFlagsChange FlagsChange(const BoardRoute& route) {
  HclFlagsChange change;
  change.replaced = route.hclGiven;
  change.flags = route.hcl;
  if (route.window != nullptr) change.clear = qvfADAPTER_USB;
  if (route.pipes != nullptr) change.set = qvfADAPTER_USB;
  return change;
}

}  // namespace

bool MapBusWindow() {
  const BoardRoute& route = halBoardRoute();
  uintptr_t linear = 0;
  uint32_t size = 0;
  MapResult mapped =
      DriverOpenAndMap(route.window, route.target.c_str(), 0, halRecord().physBase, &linear, &size);
  if (mapped != MapResult::kMapped) {
    Hal.lastError = mapped == MapResult::kNoDevice ? kHalNoDriver : kHalNoController;
    return false;
  }
  // A window that ends inside the ports would be read past its end.
  if (size < kBusPortsSize) {
    std::printf("!!!!! The window mapped from %s is %u bytes; the bus ports need %u.\n",
                route.target.c_str(), size, kBusPortsSize);
    DriverClose();
    Hal.lastError = kHalNoController;
    return false;
  }
  Hal.bus.window = route.window;
  Hal.bus.size = size;
  uint32_t flags = halHclFlags();
  Hal.bus.waitForWrites = (flags & qvfDONT_CHECK_MEM_STAT) == 0;
  Hal.bus.waitForRoom = (flags & qvfDONT_CHECK_HWC_STAT) == 0;
  Hal.bus.dataPort32 = (flags & qvfBURST_MEMPORT) != 0;
  // No exit handler unmaps the window: the process's end does, and an exit from inside an
  // operation (an aborted assertion) must leave the lock it holds mapped for the kernel to
  // release.
  Hal.windowBase[0] = linear;
  return true;
}

int qvAcquireController() {
  Hal.lastError = kHalOk;
  if (Hal.windowBase[0] == 0) Hal.flagsChange = FlagsChange(Route);
  const uint32_t flags = halHclFlags();
  if (!Hal.traceSet) {
    Hal.traceOn = (flags & qvfDEBUG_REG_WRITES) != 0;
    Hal.traceSet = true;
  }
  if (Hal.windowBase[0] != 0) return 1;
  if (flags & qvfADAPTER_USB) {
    Hal.dispatch = BridgeVariant;
    if (!Hal.dispatch.acquire()) return 0;
    Hal.windowBase[0] = kBridgeWindowMark;
    return 1;
  }
  if (!MapBusWindow()) return 0;
  Hal.dispatch = flags & qvfFAST_CYCLE ? BusVariantA : BusVariantB;
  return 1;
}

void halSetRecord(const QvHclData* record) {
  Hal.record = record != nullptr ? record : &qvHclData;
}

const QvHclData& halRecord() {
  return *Hal.record;
}

uint32_t halHclFlags() {
  const HclFlagsChange& change = Hal.flagsChange;
  return ((change.replaced ? change.flags : Hal.record->hclFlags) | change.set) & ~change.clear;
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
