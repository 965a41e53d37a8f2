#include "transport/libusb_pipe.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/board_lock.h"
#include "transport/udev_rule.h"

const LibusbCalls kLibusb = {
    .init = libusb_init,
    .exit = libusb_exit,
    .getDeviceList = libusb_get_device_list,
    .freeDeviceList = libusb_free_device_list,
    .getDeviceDescriptor = libusb_get_device_descriptor,
    .getBusNumber = libusb_get_bus_number,
    .getDeviceAddress = libusb_get_device_address,
    .open = libusb_open,
    .close = libusb_close,
    .getDevice = libusb_get_device,
    .getActiveConfigDescriptor = libusb_get_active_config_descriptor,
    .freeConfigDescriptor = libusb_free_config_descriptor,
    .kernelDriverActive = libusb_kernel_driver_active,
    .detachKernelDriver = libusb_detach_kernel_driver,
    .attachKernelDriver = libusb_attach_kernel_driver,
    .claimInterface = libusb_claim_interface,
    .releaseInterface = libusb_release_interface,
    .setInterfaceAltSetting = libusb_set_interface_alt_setting,
    .clearHalt = libusb_clear_halt,
    .resetDevice = libusb_reset_device,
    .bulkTransfer = libusb_bulk_transfer,
};

namespace {

constexpr int kInterface = 0;
constexpr int kMaxPipes = 16;
constexpr int kNeededPipes = kReplyPipe + 1;

const LibusbCalls* Usb = &kLibusb;

struct LibusbState {
  libusb_context* context = nullptr;
  libusb_device_handle* handle = nullptr;
  std::string name;       // "USB bridge VVVV:PPPP at /dev/bus/usb/BBB/DDD", for messages
  bool detached = false;  // a kernel driver was detached at open: attach it again at close
  bool claimed = false;
  int setting = 0;  // the alternate setting that has the pipes
  uint8_t endpoints[kMaxPipes] = {};
  uint16_t maxPacket[kMaxPipes] = {};
  int endpointCount = 0;
  std::vector<uint8_t> bounce;  // receives rounded up to whole packets
};
LibusbState Bridge;

bool ParseIds(const char* target, uint16_t* vendor, uint16_t* product) {
  *vendor = kDefaultBridgeVendor;
  *product = kDefaultBridgeProduct;
  if (target == nullptr || *target == '\0') return true;
  unsigned v = 0;
  unsigned p = 0;
  int used = 0;
  if (std::sscanf(target, "%4x:%4x%n", &v, &p, &used) != 2 || target[used] != '\0') return false;
  *vendor = static_cast<uint16_t>(v);
  *product = static_cast<uint16_t>(p);
  return true;
}

std::string IdsText(uint16_t vendor, uint16_t product) {
  char text[16];
  std::snprintf(text, sizeof text, "%04x:%04x", vendor, product);
  return text;
}

std::string NodeText(libusb_device* device) {
  char text[32];
  std::snprintf(text, sizeof text, "/dev/bus/usb/%03u/%03u", Usb->getBusNumber(device),
                Usb->getDeviceAddress(device));
  return text;
}

// Gives the interface back, and a kernel driver detached at open its interface.
void GiveBridgeBack() {
  if (Bridge.claimed) Usb->releaseInterface(Bridge.handle, kInterface);
  if (Bridge.detached) Usb->attachKernelDriver(Bridge.handle, kInterface);
  if (Bridge.handle != nullptr) Usb->close(Bridge.handle);
  if (Bridge.context != nullptr) Usb->exit(Bridge.context);
  Bridge = LibusbState();
}

void LibusbClose() {
  GiveBridgeBack();
  BridgeLockClose();
}

// Why libusb_open refused an attached bridge, in the engineer's terms.
std::string OpenFailure(int rc) {
  std::string text = "A " + Bridge.name + " is attached but cannot be opened: ";
  switch (rc) {
    case LIBUSB_ERROR_ACCESS:
      return text + "permission denied. VORN's udev rule " + kUdevRulePath +
             " gives it to the logged-in user: install it with make install, then plug the "
             "bridge in again";
    case LIBUSB_ERROR_BUSY:
      return text + "another process holds it";
    default:
      return text + libusb_error_name(rc);
  }
}

// The first device of the list with the ids, or nullptr.
libusb_device* FindBridge(libusb_device** list, ssize_t count, uint16_t vendor, uint16_t product) {
  for (ssize_t i = 0; i < count; i++) {
    libusb_device_descriptor descriptor{};
    if (Usb->getDeviceDescriptor(list[i], &descriptor) == 0 && descriptor.idVendor == vendor &&
        descriptor.idProduct == product) {
      return list[i];
    }
  }
  return nullptr;
}

// Finds the first bridge with the ids and opens it; the cause when there is none or it refuses.
bool OpenDevice(uint16_t vendor, uint16_t product, std::string* why) {
  libusb_device** list = nullptr;
  ssize_t count = Usb->getDeviceList(Bridge.context, &list);
  if (count < 0) {
    *why = std::string("Cannot list the USB devices: ") + libusb_error_name(int(count));
    return false;
  }
  libusb_device* found = FindBridge(list, count, vendor, product);
  int rc = LIBUSB_ERROR_NOT_FOUND;
  if (found != nullptr) {
    Bridge.name = "USB bridge " + IdsText(vendor, product) + " at " + NodeText(found);
    rc = Usb->open(found, &Bridge.handle);
  }
  Usb->freeDeviceList(list, 1);
  if (found == nullptr) {
    *why = "No USB bridge " + IdsText(vendor, product) + " is attached";
  } else if (rc != 0) {
    Bridge.handle = nullptr;
    *why = OpenFailure(rc);
  }
  return rc == 0;
}

// A kernel driver bound to the bridge's interface is detached for the session.
bool DetachKernelDriver(std::string* why) {
  if (Usb->kernelDriverActive(Bridge.handle, kInterface) != 1) return true;
  int rc = Usb->detachKernelDriver(Bridge.handle, kInterface);
  if (rc != 0) {
    *why = "The " + Bridge.name +
           " is held by a kernel driver that cannot be detached: " + libusb_error_name(rc);
    return false;
  }
  Bridge.detached = true;
  return true;
}

// The bridge is a real board: its lock is the named one, shared by every process that names
// the board alike.
bool LibusbOpen(const char* target, std::string* why) {
  LibusbClose();
  uint16_t vendor = 0;
  uint16_t product = 0;
  if (!ParseIds(target, &vendor, &product)) {
    *why = std::string("'") + target + "' is not a vendor and product id (VVVV:PPPP)";
    return false;
  }
  if (!BridgeLockOpenNamed(why)) return false;
  if (int rc = Usb->init(&Bridge.context); rc != 0) {
    Bridge.context = nullptr;
    *why = std::string("Cannot start libusb: ") + libusb_error_name(rc);
    return false;
  }
  if (!OpenDevice(vendor, product, why) || !DetachKernelDriver(why)) {
    LibusbClose();
    return false;
  }
  // exit(1), exit(99) and the end of main give the interface (and the kernel driver) back. The
  // lock stays mapped: an exit inside a hold leaves it to the kernel to release.
  static const bool kClosedAtExit = std::atexit(GiveBridgeBack) == 0;
  (void)kClosedAtExit;
  return true;
}

bool IsBulk(const libusb_endpoint_descriptor& endpoint, bool in) {
  return (endpoint.bmAttributes & LIBUSB_TRANSFER_TYPE_MASK) == LIBUSB_TRANSFER_TYPE_BULK &&
         ((endpoint.bEndpointAddress & LIBUSB_ENDPOINT_IN) != 0) == in;
}

bool HasPipes(const libusb_interface_descriptor& setting) {
  return setting.bNumEndpoints >= kNeededPipes && IsBulk(setting.endpoint[kPacketPipe], false) &&
         IsBulk(setting.endpoint[kReplyPipe], true);
}

const char* TypeName(uint8_t attributes) {
  static const char* const kTypes[] = {"control", "isochronous", "bulk", "interrupt"};
  return kTypes[attributes & LIBUSB_TRANSFER_TYPE_MASK];
}

void PrintEndpointTable(const libusb_interface& interface) {
  std::printf(
      "\nUsb Transport: the %s has no setting with a bulk OUT endpoint as pipe 0 and a bulk IN "
      "endpoint as pipe 2:",
      Bridge.name.c_str());
  for (int a = 0; a < interface.num_altsetting; a++) {
    const libusb_interface_descriptor& setting = interface.altsetting[a];
    std::printf("\n  setting %u:", setting.bAlternateSetting);
    if (setting.bNumEndpoints == 0) std::printf(" no endpoints");
    for (int e = 0; e < setting.bNumEndpoints; e++) {
      const libusb_endpoint_descriptor& endpoint = setting.endpoint[e];
      std::printf(
          " pipe %d %02Xh %s %s %u;", e, endpoint.bEndpointAddress, TypeName(endpoint.bmAttributes),
          endpoint.bEndpointAddress & LIBUSB_ENDPOINT_IN ? "IN" : "OUT", endpoint.wMaxPacketSize);
    }
  }
}

// Keeps the pipes of the first alternate setting that has them; none: the table is shown.
bool FindPipes(const libusb_interface& interface) {
  for (int a = 0; a < interface.num_altsetting; a++) {
    const libusb_interface_descriptor& setting = interface.altsetting[a];
    if (!HasPipes(setting)) continue;
    Bridge.setting = setting.bAlternateSetting;
    Bridge.endpointCount = 0;
    for (int e = 0; e < setting.bNumEndpoints && e < kMaxPipes; e++) {
      Bridge.endpoints[e] = setting.endpoint[e].bEndpointAddress;
      Bridge.maxPacket[e] = setting.endpoint[e].wMaxPacketSize & 0x7FF;
      Bridge.endpointCount++;
    }
    return true;
  }
  PrintEndpointTable(interface);
  return false;
}

// Puts the interface into the pipes' setting (releasing the interface sets it back to 0) and
// clears any stall left on the two pipes.
bool SelectPipes() {
  if (Bridge.setting != 0 &&
      Usb->setInterfaceAltSetting(Bridge.handle, kInterface, Bridge.setting) != 0) {
    return false;
  }
  Usb->clearHalt(Bridge.handle, Bridge.endpoints[kPacketPipe]);
  Usb->clearHalt(Bridge.handle, Bridge.endpoints[kReplyPipe]);
  return true;
}

bool LibusbPipeInfo() {
  if (Bridge.handle == nullptr) return false;
  libusb_config_descriptor* config = nullptr;
  if (Usb->getActiveConfigDescriptor(Usb->getDevice(Bridge.handle), &config) != 0) return false;
  bool found = config->bNumInterfaces > kInterface && FindPipes(config->interface[kInterface]);
  Usb->freeConfigDescriptor(config);
  return found && SelectPipes();
}

int LibusbClaim(std::string* why) {
  if (Bridge.handle == nullptr) return LIBUSB_ERROR_NO_DEVICE;
  int rc = Usb->claimInterface(Bridge.handle, kInterface);
  if (rc == LIBUSB_ERROR_NO_DEVICE) return kPipeDisconnected;
  if (rc != 0) {
    *why = "The " + Bridge.name + " cannot be claimed: " +
           (rc == LIBUSB_ERROR_BUSY ? std::string("another process holds it")
                                    : std::string(libusb_error_name(rc)));
    return rc;
  }
  Bridge.claimed = true;
  if (Bridge.setting != 0) {
    rc = Usb->setInterfaceAltSetting(Bridge.handle, kInterface, Bridge.setting);
    if (rc == LIBUSB_ERROR_NO_DEVICE) return kPipeDisconnected;
  }
  return 0;
}

void LibusbRelease() {
  if (Bridge.claimed) Usb->releaseInterface(Bridge.handle, kInterface);
  Bridge.claimed = false;
}

// A reset that needs the bridge to enumerate anew loses the handle: the bridge is gone then.
bool LibusbReset() {
  if (Bridge.handle == nullptr || Usb->resetDevice(Bridge.handle) != 0) return false;
  std::string why;
  return DetachKernelDriver(&why) && SelectPipes();
}

// The endpoint of a pipe in the wanted direction, or 0.
uint8_t Endpoint(int pipe, bool in) {
  if (Bridge.handle == nullptr || !Bridge.claimed || pipe < 0 || pipe >= Bridge.endpointCount) {
    return 0;
  }
  uint8_t endpoint = Bridge.endpoints[pipe];
  return ((endpoint & LIBUSB_ENDPOINT_IN) != 0) == in ? endpoint : 0;
}

// Failures every transfer shares: a vanished bridge, and a stall, which is cleared and reported.
int TransferFailure(int rc, uint8_t endpoint) {
  if (rc == LIBUSB_ERROR_NO_DEVICE) return kPipeDisconnected;
  if (rc == LIBUSB_ERROR_PIPE) {
    int cleared = Usb->clearHalt(Bridge.handle, endpoint);
    std::printf("\nUsb Transport: the bridge stalled endpoint %02Xh; %s", endpoint,
                cleared == 0 ? "the stall is cleared" : libusb_error_name(cleared));
  }
  return rc;
}

int LibusbSend(int pipe, const uint8_t* data, size_t len) {
  uint8_t endpoint = Endpoint(pipe, false);
  if (endpoint == 0) return LIBUSB_ERROR_NOT_FOUND;
  int done = 0;
  // libusb takes a non-const buffer for both directions; an OUT transfer only reads it.
  int rc = Usb->bulkTransfer(Bridge.handle, endpoint, const_cast<uint8_t*>(data),
                             static_cast<int>(len), &done, kReceiveTimeoutMs);
  if (rc == 0 && done == static_cast<int>(len)) return done;
  if (rc != LIBUSB_ERROR_NO_DEVICE && done > 0) return kPipeCutShort;
  return TransferFailure(rc, endpoint);
}

// The transfer asks for whole packets: a bridge that sends a full packet where fewer bytes were
// expected would otherwise overflow the transfer.
int LibusbReceive(int pipe, uint8_t* buffer, size_t len, uint32_t timeoutMs) {
  uint8_t endpoint = Endpoint(pipe, true);
  if (endpoint == 0) return LIBUSB_ERROR_NOT_FOUND;
  size_t packet = Bridge.maxPacket[pipe] > 0 ? Bridge.maxPacket[pipe] : 1;
  size_t whole = (len + packet - 1) / packet * packet;
  uint8_t* into = buffer;
  if (whole != len) {
    if (Bridge.bounce.size() < whole) Bridge.bounce.resize(whole);
    into = Bridge.bounce.data();
  }
  int done = 0;
  int rc =
      Usb->bulkTransfer(Bridge.handle, endpoint, into, static_cast<int>(whole), &done, timeoutMs);
  // A timeout after part of the data still delivered that part.
  if (rc == 0 || (rc == LIBUSB_ERROR_TIMEOUT && done > 0)) {
    size_t got = static_cast<size_t>(done) < len ? static_cast<size_t>(done) : len;
    if (into != buffer) std::copy(into, into + got, buffer);
    return static_cast<int>(got);
  }
  return TransferFailure(rc, endpoint);
}

}  // namespace

void LibusbUseCalls(const LibusbCalls* calls) {
  LibusbClose();
  Usb = calls != nullptr ? calls : &kLibusb;
}

bool LibusbBridgePresent(const char* target) {
  uint16_t vendor = 0;
  uint16_t product = 0;
  if (!ParseIds(target, &vendor, &product)) return false;
  libusb_context* context = nullptr;
  if (Usb->init(&context) != 0) return false;
  libusb_device** list = nullptr;
  ssize_t count = Usb->getDeviceList(context, &list);
  bool found = FindBridge(list, count, vendor, product) != nullptr;
  if (count >= 0) Usb->freeDeviceList(list, 1);
  Usb->exit(context);
  return found;
}

const PipeOps LibusbPipes = {
    .name = "usb",
    .open = LibusbOpen,
    .pipeInfo = LibusbPipeInfo,
    .send = LibusbSend,
    .receive = LibusbReceive,
    .close = LibusbClose,
    .errorName = libusb_error_name,
    .claim = LibusbClaim,
    .release = LibusbRelease,
    .reset = LibusbReset,
};
