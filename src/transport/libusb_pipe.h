// The real USB bridge through libusb-1.0. Bridge pipe n is the n-th endpoint of the bridge's
// first interface in descriptor order.
#pragma once

#include <cstdint>

#include "transport/pipe.h"

// The bridge's ids when VORN_BOARD gives none.
constexpr uint16_t kDefaultBridgeVendor = 0x04B4;
constexpr uint16_t kDefaultBridgeProduct = 0x8613;

// Target: "VVVV:PPPP" in hexadecimal, or empty for the default ids.
extern const PipeOps LibusbPipes;

// True when a bridge with the target's ids is attached; opens nothing and prints nothing.
bool LibusbBridgePresent(const char* target);
