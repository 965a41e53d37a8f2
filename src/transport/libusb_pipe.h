// The real USB bridge through libusb-1.0. Bridge pipe n is the n-th endpoint of the bridge's
// first interface in descriptor order, in the alternate setting that has pipe 0 as a bulk OUT
// and pipe 2 as a bulk IN endpoint.
#pragma once

#include <libusb.h>

#include <cstdint>

#include "transport/pipe.h"

// The bridge's ids when VORN_BOARD gives none.
constexpr uint16_t kDefaultBridgeVendor = 0x04B4;
constexpr uint16_t kDefaultBridgeProduct = 0x8613;

// Target: "VVVV:PPPP" in hexadecimal, or empty for the default ids. The interface is claimed
// only inside each hold of the bridge lock, so that several processes share the bridge; it is
// released, and a kernel driver detached at open is attached again, on every normal way out.
extern const PipeOps LibusbPipes;

// True when a bridge with the target's ids is attached; opens nothing and prints nothing.
bool LibusbBridgePresent(const char* target);

// The libusb calls the backend makes, so that tests can stand a fake device behind them.
struct LibusbCalls {
  int (*init)(libusb_context** context);
  void (*exit)(libusb_context* context);
  ssize_t (*getDeviceList)(libusb_context* context, libusb_device*** list);
  void (*freeDeviceList)(libusb_device** list, int unreference);
  int (*getDeviceDescriptor)(libusb_device* device, libusb_device_descriptor* descriptor);
  uint8_t (*getBusNumber)(libusb_device* device);
  uint8_t (*getDeviceAddress)(libusb_device* device);
  int (*open)(libusb_device* device, libusb_device_handle** handle);
  void (*close)(libusb_device_handle* handle);
  libusb_device* (*getDevice)(libusb_device_handle* handle);
  int (*getActiveConfigDescriptor)(libusb_device* device, libusb_config_descriptor** config);
  void (*freeConfigDescriptor)(libusb_config_descriptor* config);
  int (*kernelDriverActive)(libusb_device_handle* handle, int interface);
  int (*detachKernelDriver)(libusb_device_handle* handle, int interface);
  int (*attachKernelDriver)(libusb_device_handle* handle, int interface);
  int (*claimInterface)(libusb_device_handle* handle, int interface);
  int (*releaseInterface)(libusb_device_handle* handle, int interface);
  int (*setInterfaceAltSetting)(libusb_device_handle* handle, int interface, int setting);
  int (*clearHalt)(libusb_device_handle* handle, unsigned char endpoint);
  int (*resetDevice)(libusb_device_handle* handle);
  int (*bulkTransfer)(libusb_device_handle* handle, unsigned char endpoint, unsigned char* data,
                      int length, int* transferred, unsigned int timeoutMs);
};
extern const LibusbCalls kLibusb;
// The calls in use: the library's (null), or a test's.
void LibusbUseCalls(const LibusbCalls* calls);
