// PLACEHOLDER until the transport lands.
#pragma once
#include <cstdint>
bool UsbSingleWrite(uint32_t address, uint32_t size, uint8_t device, uint32_t value);
bool UsbSingleRead(uint32_t address, uint32_t size, uint8_t device, uint32_t* value);
bool UsbBlockWrite(uint32_t address, uint32_t count, uint8_t device, const void* buffer);
uint32_t UsbBlockRead(uint32_t address, uint32_t count, uint8_t device, void* buffer);
constexpr uint8_t kRawDevice = 8;
