#include "transport/libusb_pipe.h"

#include <libusb.h>

#include <cstdio>

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
}

bool LibusbOpen(const char* target) {
  LibusbClose();
  uint16_t vendor = 0;
  uint16_t product = 0;
  if (!ParseIds(target, &vendor, &product)) return false;
  if (libusb_init(&Usb.context) != 0) {
    Usb.context = nullptr;
    return false;
  }
  Usb.handle = libusb_open_device_with_vid_pid(Usb.context, vendor, product);
  if (Usb.handle != nullptr) {
    libusb_set_auto_detach_kernel_driver(Usb.handle, 1);
    Usb.claimed = libusb_claim_interface(Usb.handle, 0) == 0;
  }
  if (!Usb.claimed) LibusbClose();
  return Usb.claimed;
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
};
