// PLACEHOLDER until the transport lands.
#pragma once
#include <cstdint>
bool OpenBridgeBoard(uint8_t mgeNumber, uint8_t interfaceFlags, const uint8_t usbInfo[6]);
