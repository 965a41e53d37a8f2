#include "transport/libusb_pipe.h"

#include <libusb.h>

#include <cstdio>
#include <string>

#include "platform/board_lock.h"

namespace {

constexpr int kMaxPipes = 16;

struct LibusbState {
  libusb_context* context = nullptr;
  libusb_device_handle* handle = nullptr;
  bool claimed = false;
  uint8_t endpoints[kMaxPipes] = {};
  int endpointCount = 0;
};
LibusbState Usb;

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

void LibusbClose() {
  if (Usb.claimed) libusb_release_interface(Usb.handle, 0);
  if (Usb.handle != nullptr) libusb_close(Usb.handle);
  if (Usb.context != nullptr) libusb_exit(Usb.context);
  Usb = LibusbState();
  BridgeLockClose();
}

std::string IdsText(uint16_t vendor, uint16_t product) {
  char text[16];
  std::snprintf(text, sizeof text, "%04x:%04x", vendor, product);
  return text;
}

// Finds and opens the bridge, its device opened like libusb_open_device_with_vid_pid but with
// the reason when it fails.
bool OpenDevice(uint16_t vendor, uint16_t product, std::string* why) {
  libusb_device** list = nullptr;
  ssize_t count = libusb_get_device_list(Usb.context, &list);
  if (count < 0) {
    *why = std::string("Cannot list the USB devices: ") + libusb_error_name(int(count));
    return false;
  }
  int rc = LIBUSB_ERROR_NOT_FOUND;
  for (ssize_t i = 0; i < count && Usb.handle == nullptr; i++) {
    libusb_device_descriptor descriptor{};
    if (libusb_get_device_descriptor(list[i], &descriptor) == 0 && descriptor.idVendor == vendor &&
        descriptor.idProduct == product) {
      rc = libusb_open(list[i], &Usb.handle);
    }
  }
  libusb_free_device_list(list, 1);
  if (rc == LIBUSB_ERROR_NOT_FOUND) {
    *why = "No USB bridge " + IdsText(vendor, product) + " is attached";
  } else if (rc != 0) {
    *why = "Cannot open the USB bridge " + IdsText(vendor, product) + ": " + libusb_error_name(rc);
  }
  return rc == 0;
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
  if (int rc = libusb_init(&Usb.context); rc != 0) {
    Usb.context = nullptr;
    *why = std::string("Cannot start libusb: ") + libusb_error_name(rc);
    LibusbClose();
    return false;
  }
  if (!OpenDevice(vendor, product, why)) {
    LibusbClose();
    return false;
  }
  libusb_set_auto_detach_kernel_driver(Usb.handle, 1);
  if (int rc = libusb_claim_interface(Usb.handle, 0); rc != 0) {
    *why = "Cannot claim the USB bridge " + IdsText(vendor, product) + ": " + libusb_error_name(rc);
    LibusbClose();
    return false;
  }
  Usb.claimed = true;
  return true;
}

bool LibusbPipeInfo() {
  if (Usb.handle == nullptr) return false;
  libusb_config_descriptor* config = nullptr;
  if (libusb_get_active_config_descriptor(libusb_get_device(Usb.handle), &config) != 0) {
    return false;
  }
  Usb.endpointCount = 0;
  if (config->bNumInterfaces > 0 && config->interface[0].num_altsetting > 0) {
    const libusb_interface_descriptor& setting = config->interface[0].altsetting[0];
    for (int i = 0; i < setting.bNumEndpoints && i < kMaxPipes; i++) {
      Usb.endpoints[Usb.endpointCount++] = setting.endpoint[i].bEndpointAddress;
    }
  }
  libusb_free_config_descriptor(config);
  return Usb.endpointCount > 0;
}

int Transfer(int pipe, uint8_t* data, size_t len, uint32_t timeoutMs, bool in) {
  if (Usb.handle == nullptr || pipe < 0 || pipe >= Usb.endpointCount) {
    return LIBUSB_ERROR_NOT_FOUND;
  }
  uint8_t endpoint = Usb.endpoints[pipe];
  if (((endpoint & LIBUSB_ENDPOINT_IN) != 0) != in) return LIBUSB_ERROR_INVALID_PARAM;
  int done = 0;
  int rc =
      libusb_bulk_transfer(Usb.handle, endpoint, data, static_cast<int>(len), &done, timeoutMs);
  // A timeout after part of the data still delivered that part.
  if (rc == 0 || (rc == LIBUSB_ERROR_TIMEOUT && done > 0)) return done;
  return rc;
}

int LibusbSend(int pipe, const uint8_t* data, size_t len) {
  // libusb takes a non-const buffer for both directions; an OUT transfer only reads it.
  return Transfer(pipe, const_cast<uint8_t*>(data), len, kReceiveTimeoutMs, false);
}

int LibusbReceive(int pipe, uint8_t* buffer, size_t len, uint32_t timeoutMs) {
  return Transfer(pipe, buffer, len, timeoutMs, true);
}

}  // namespace

bool LibusbBridgePresent(const char* target) {
  uint16_t vendor = 0;
  uint16_t product = 0;
  if (!ParseIds(target, &vendor, &product)) return false;
  libusb_context* context = nullptr;
  if (libusb_init(&context) != 0) return false;
  libusb_device** list = nullptr;
  ssize_t count = libusb_get_device_list(context, &list);
  bool found = false;
  for (ssize_t i = 0; i < count && !found; i++) {
    libusb_device_descriptor descriptor{};
    if (libusb_get_device_descriptor(list[i], &descriptor) == 0) {
      found = descriptor.idVendor == vendor && descriptor.idProduct == product;
    }
  }
  if (count >= 0) libusb_free_device_list(list, 1);
  libusb_exit(context);
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
};
